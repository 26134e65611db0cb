#include "files/data_folders.h"

#include "files/file_error.h"
#include "files/platform_files.h"
#include "files/startup.h"

#include <string>
#include <system_error>

namespace tolvane {
namespace fs = std::filesystem;
namespace {

constexpr const char* kFolderName = "tolvane";
constexpr const char* kHelpFileName = "Tolvanev2.chm";

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

void ReportNotCreated(const fs::path& path) {
    ReportFileError(MakeErrorCode(kFileMsgCreating, kRoutineFillUserDataFolder),
                    path.string().c_str());
}

// Copies `source` to `target` through a temporary name beside it, so that a copy cut short
// (a full disk) leaves no partial file under the real name. False when nothing could be copied;
// true also when another start put a file there meanwhile.
bool CopyUnlessPresent(const fs::path& source, const fs::path& target) {
    fs::path temporary = target;
    temporary += ".copying";
    std::error_code error;
    fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error);
    bool copied = !error;
    if (copied && !platform::MoveUnlessPresent(temporary, target)) copied = IsFile(target);
    fs::remove(temporary, error);
    return copied;
}

} // namespace

bool HoldsStartFiles(const fs::path& folder) {
    for (const char* name : {kDatabaseFileName, kDefaultConfigFileName, kDefaultModelFileName})
        if (!IsFile(folder / name)) return false;
    return true;
}

fs::path UserDataFolder() {
#if defined(_WIN32)
    const std::string appData = platform::EnvironmentValue("APPDATA");
    return appData.empty() ? fs::path() : fs::path(appData) / kFolderName;
#else
    const fs::path dataHome = platform::EnvironmentValue("XDG_DATA_HOME");
    if (dataHome.is_absolute()) return dataHome / kFolderName;
    const std::string home = platform::EnvironmentValue("HOME");
    return home.empty() ? fs::path() : fs::path(home) / ".local" / "share" / kFolderName;
#endif
}

fs::path InstalledDataFolder(const fs::path& programFolder) {
    if (programFolder.empty()) return {};
    const fs::path folder = programFolder.parent_path() / "share" / kFolderName;
    std::error_code error;
    return fs::is_directory(folder, error) ? folder : fs::path();
}

int FillUserDataFolder(const fs::path& userFolder, const fs::path& installedFolder) {
    std::error_code error;
    fs::create_directories(userFolder, error);
    if (!fs::is_directory(userFolder, error)) {
        ReportNotCreated(userFolder);
        return 0;
    }
    fs::directory_iterator entries(installedFolder, error);
    if (error) return 1; // nothing installed to copy
    for (const fs::directory_entry& entry : entries) {
        const fs::path name = entry.path().filename();
        if (!entry.is_regular_file(error) || name == kHelpFileName) continue;
        const fs::path target = userFolder / name;
        if (fs::exists(fs::symlink_status(target, error))) continue;
        if (!CopyUnlessPresent(entry.path(), target)) {
            ReportNotCreated(target);
            return 0;
        }
    }
    return 1;
}

fs::path ChooseWorkFolder(const fs::path& startFolder, const fs::path& userFolder,
                          const fs::path& installedFolder) {
    if (HoldsStartFiles(startFolder) || userFolder.empty()) return startFolder;
    if (!installedFolder.empty()) {
        (void)FillUserDataFolder(userFolder, installedFolder);
        return userFolder;
    }
    return HoldsStartFiles(userFolder) ? userFolder : startFolder;
}

fs::path FindFileIn(std::string_view name, const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders)
        if (!folder.empty() && IsFile(folder / name)) return folder / name;
    return {};
}

fs::path DefaultDatabasePath() {
    // The one in the current directory keeps its short name, as messages show it.
    if (IsFile(kDatabaseFileName)) return kDatabaseFileName;
    const fs::path found = FindFileIn(
        kDatabaseFileName, {UserDataFolder(), InstalledDataFolder(platform::ProgramFolder())});
    return found.empty() ? fs::path(kDatabaseFileName) : found;
}

} // namespace tolvane
