#pragma once

namespace tolvane {

/// Names of the files the program reads at start-up, resolved against the current directory.
inline constexpr const char* kDatabaseFileName = "uncdata.unc";
inline constexpr const char* kDefaultConfigFileName = "default.cfg";
inline constexpr const char* kDefaultModelFileName = "default.mdl";
/// The preferences file: one integer, the main window's background flag.
inline constexpr const char* kPreferenceFileName = "pref.txt";

/// Creates the program-wide state (the four component lists, the plot list, the 20 result
/// records) and fills it from "uncdata.unc", "default.cfg" and "default.mdl" in the current
/// directory. Returns 1 when everything was created and read, 0 at the first step that failed
/// (the failing reader has shown its message); what was made so far is left for ShutDown.
int StartUp();

/// Creates the lists and the result records of the program-wide state (the first part of
/// StartUp, for programs that read other files than the default ones). Whatever the state held
/// before is destroyed first. 1 on success.
int CreateProgramState();

/// Destroys everything the program-wide state holds, in the order: the five lists with their
/// records, the current configuration, the current model, the result records. Safe after a failed
/// or partial start-up, and when called twice.
void ShutDown();

/// Reads the preference integer from `path`: blank lines and "!" comment lines are skipped, every
/// other line must begin with an integer, and the last one wins. 1 when the file was read to its
/// end; 0 when it cannot be opened, a line does not begin with an integer (`value` then keeps what
/// the earlier lines gave) or a read fails. Shows no message.
[[nodiscard]] int ReadPreference(int* value, const char* path);

/// Writes `value` in "%d" form, with no line feed, to `path` (replacing the previous file only
/// when the write succeeded). 1 on success; shows no message.
int WritePreference(int value, const char* path);

} // namespace tolvane
