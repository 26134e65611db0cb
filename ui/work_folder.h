#pragma once

#include <QString>

namespace tolvane {

/// The user's data folder as Qt gives it (AppDataLocation: ~/.local/share/tolvane on Linux).
[[nodiscard]] QString UserDataFolderPath();

/// The installed data folder beside the program (<prefix>/share/tolvane for <prefix>/bin);
/// empty when the program is not installed.
[[nodiscard]] QString InstalledDataFolderPath();

/// Makes the folder the program works in its current directory: the start folder when it holds
/// the database and both defaults, else the user's data folder, filled from the installed data
/// on the first start (a file that could not be copied is reported through the message sink).
/// Relative names (the start-up files, pref.txt, the file dialogs' first folder) then resolve
/// there.
void EnterWorkFolder();

} // namespace tolvane
