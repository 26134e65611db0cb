#pragma once

#include <array>

namespace tolvane {

/// A record's name field: 128 characters, always terminated, so at most 127 are kept.
using RecordName = std::array<char, 128>;

/// Stores at most 127 characters of `text` (which must not be null) and a terminator.
void StoreRecordName(RecordName& field, const char* text);

/// Copies the name into `buffer` of `length` characters: at most length - 1 characters and
/// always a terminator at position length - 1 or earlier. Nothing is written when length <= 0.
void CopyRecordName(const RecordName& field, char* buffer, int length);

/// Exact, case-sensitive comparison of the stored name with `key`.
[[nodiscard]] bool RecordNameEquals(const RecordName& field, const char* key);

} // namespace tolvane
