#pragma once

namespace tolvane {

struct ConfigInfo;

/// Fills the existing configuration from the configuration file at `path`, in place: blocks the
/// file does not mention keep their values. Returns 1 when the end of the file was reached, also
/// after line errors (they are reported, and everything after a parse error is ignored); 0 when
/// the record is null, the file cannot be opened or a read fails.
[[nodiscard]] int ReadConfigFile(ConfigInfo* config, const char* path);

/// Writes the configuration to `path`. The text goes to a temporary file that replaces the target
/// only when everything was written, so a failure leaves the previous file as it was. Returns 1 on
/// success, 0 after reporting a null record, a file that cannot be created, a failed write or a
/// failed query (the record reports that one).
[[nodiscard]] int WriteConfigFile(const ConfigInfo* config, const char* path);

/// What "Recall Configuration..." does once a file is chosen: reads `path` into a new record and,
/// when ReadConfigFile returns 1, destroys `*current` and installs the new record in its place.
/// Otherwise `*current` stays and the new record is destroyed. Returns what the reading returned
/// (0 also when the new record cannot be created or `current` is null).
[[nodiscard]] int ReplaceConfigFromFile(ConfigInfo** current, const char* path);

} // namespace tolvane
