#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

// Where the programs find their files. The desktop program works in the folder it is started in
// when that folder holds the database and both defaults; otherwise in the user's data folder,
// which it fills on the first start from the installed data (<prefix>/share/tolvane).
namespace tolvane {

/// True when `folder` holds the database, the default configuration and the default model.
[[nodiscard]] bool HoldsStartFiles(const std::filesystem::path& folder);

/// The user's data folder, as the desktop program's Qt answers for it (AppDataLocation), for
/// programs without Qt: $XDG_DATA_HOME/tolvane when XDG_DATA_HOME is an absolute path, else
/// $HOME/.local/share/tolvane; on Windows %APPDATA%\tolvane. Empty when no home is known.
[[nodiscard]] std::filesystem::path UserDataFolder();

/// The installed data folder of a program that lives in `programFolder`: <prefix>/share/tolvane
/// for a program in <prefix>/bin. Empty when there is no such folder.
[[nodiscard]] std::filesystem::path InstalledDataFolder(const std::filesystem::path& programFolder);

/// Copies every file of `installedFolder` that `userFolder` lacks, creating `userFolder` first;
/// a file already there is never replaced, and a copy cut short never takes a file's name. The
/// help file stays where it is installed. 1 on success; 0 after reporting the first folder or
/// file that could not be made ("FillUserDataFolder: Error creating the file:" and its path).
int FillUserDataFolder(const std::filesystem::path& userFolder,
                       const std::filesystem::path& installedFolder);

/// The folder the desktop program works in: `startFolder` when it holds the start files; else
/// `userFolder`, filled first from `installedFolder` when that is given, or when it already holds
/// the start files; else `startFolder`, where the start shows what is missing.
[[nodiscard]] std::filesystem::path ChooseWorkFolder(const std::filesystem::path& startFolder,
                                                     const std::filesystem::path& userFolder,
                                                     const std::filesystem::path& installedFolder);

/// The first of `folders` (empty ones skipped) that holds a file named `name`, as a path in that
/// folder; empty when none does.
[[nodiscard]] std::filesystem::path FindFileIn(std::string_view name,
                                               const std::vector<std::filesystem::path>& folders);

/// The database tolvane-cli reads when no --database is given: "uncdata.unc" in the current
/// directory, else in the user's data folder, else in the installed data folder. When none is
/// there, "uncdata.unc", so that the reader names the file it missed as before.
[[nodiscard]] std::filesystem::path DefaultDatabasePath();

} // namespace tolvane
