#!/bin/sh
# The Debian package as a user gets it. cpack builds it from the build folder given, dpkg -x unpacks
# it into a scratch root, and the tree, the package's dependencies, the desktop entry and the
# AppStream metainfo are checked. Then the unpacked programs run as from the desktop's menu: from
# an empty folder with an empty home. tolvane-cli takes the installed database; tolvane (on the
# X display this script is given, e.g. by xvfb-run) fills the user's data folder, shows the
# Configuration dialog, computes, exports to that folder and ends; a second start keeps the
# user's edited database as it is.
#   installed_package_test.sh BUILD_FOLDER
set -eu
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
tolvane_pid=""
cleanup() {
    [ -n "$tolvane_pid" ] && kill "$tolvane_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

cpack -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; }
deb=$(ls "$scratch"/package/tolvane_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6charts6 libqt6printsupport6 libqt6svg6 libqt6gui6 \
    qt6-qpa-plugins libchm1 libstdc++6; do
    echo "$depends" | grep -q "\b$package\b" || fail "the package does not depend on $package: $depends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
share="$root/usr/share"
for file in usr/bin/tolvane usr/bin/tolvane-cli \
    usr/share/tolvane/uncdata.unc usr/share/tolvane/default.cfg usr/share/tolvane/default.mdl \
    usr/share/tolvane/Tolvanev2.chm \
    usr/share/applications/org.tolvane.Tolvane.desktop \
    usr/share/metainfo/org.tolvane.Tolvane.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/org.tolvane.Tolvane.svg \
    usr/share/man/man1/tolvane.1.gz usr/share/man/man1/tolvane-cli.1.gz; do
    [ -f "$root/$file" ] || fail "$file is not in the package"
done
for size in 16 22 24 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x$size/apps/org.tolvane.Tolvane.png"
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "no $size x $size icon"
done
for data in "$build"/../../data/*; do
    [ -e "$share/tolvane/$(basename "$data")" ] || fail "data/$(basename "$data") is not installed"
done
desktop-file-validate "$share/applications/org.tolvane.Tolvane.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$share/metainfo/org.tolvane.Tolvane.metainfo.xml" >"$scratch/as.log" ||
    { cat "$scratch/as.log" >&2; fail "metainfo"; }
for page in tolvane tolvane-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page $page: $warnings"
done

# As started from the menu: an empty folder, an empty home, no XDG_DATA_HOME.
home="$scratch/home"
mkdir -p "$home" "$scratch/start"
run() { (cd "$scratch/start" && env -u XDG_DATA_HOME HOME="$home" "$@"); }

run "$root/usr/bin/tolvane-cli" compute-config "$share/tolvane/default.cfg" --output - \
    >"$scratch/cli.dat" 2>"$scratch/cli.err" || { cat "$scratch/cli.err" >&2; fail "tolvane-cli"; }
head -1 "$scratch/cli.dat" | grep -q "^Uncertainty at 0.050000 GHz" || fail "tolvane-cli wrote no table"

[ -n "${DISPLAY:-}" ] || fail "no X display for tolvane (run under xvfb-run)"
user="$home/.local/share/tolvane"
wait_for_window() { # NAME: the window's id once it is shown
    timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -1
}
start_tolvane() {
    run "$root/usr/bin/tolvane" >>"$scratch/tolvane.log" 2>&1 &
    tolvane_pid=$!
    config=$(wait_for_window Configuration) || fail "no Configuration dialog: $(cat "$scratch/tolvane.log")"
    main=$(wait_for_window "Tolvane v[0-9.]*") || fail "no main window"
}
end_tolvane() {
    xdotool windowfocus --sync "$main" key --clearmodifiers alt+f
    sleep 0.5
    xdotool key x
    wait "$tolvane_pid" || fail "tolvane ended with status $?"
    tolvane_pid=""
}

start_tolvane
for name in uncdata.unc default.cfg default.mdl; do
    cmp -s "$user/$name" "$share/tolvane/$name" || fail "$name was not copied to the user's folder"
done
# Compute Configuration is the dialog's default button; the dialog closes when the results are
# shown. Then File > Output Tabular Data... (reached from the menu's end: Up wraps to Exit, the
# next Up is the export) offers uncertainty.dat in the user's folder.
xdotool windowfocus --sync "$config" key --clearmodifiers Return
for _ in $(seq 60); do
    [ -z "$(xdotool search --onlyvisible --name '^Configuration$')" ] && break
    sleep 1
done
xdotool windowfocus --sync "$main" key --clearmodifiers alt+f
sleep 0.5
xdotool key Up Up Return
export_dialog=$(wait_for_window "Output Tabular Data") || fail "no Output Tabular Data dialog"
xdotool windowfocus --sync "$export_dialog" key --clearmodifiers Return
for _ in $(seq 30); do
    [ -s "$user/uncertainty.dat" ] && break
    sleep 1
done
cmp -s "$user/uncertainty.dat" "$scratch/cli.dat" ||
    fail "the export in the user's folder differs from tolvane-cli's table"
end_tolvane
[ -f "$user/pref.txt" ] || fail "pref.txt was not written to the user's folder"
[ -z "$(ls -A "$scratch/start")" ] || fail "files were written to the start folder"

# The user edits the database; the next start works with it and copies nothing over it.
printf '! edited by the user\n' >>"$user/uncdata.unc"
cp "$user/uncdata.unc" "$scratch/edited.unc"
start_tolvane
end_tolvane
cmp -s "$user/uncdata.unc" "$scratch/edited.unc" || fail "the user's database was replaced"
echo "installed package: tree, dependencies, desktop entry, metainfo, both programs: passed"
