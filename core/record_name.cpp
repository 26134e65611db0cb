#include "core/record_name.h"

#include <cstring>

namespace tolvane {

void StoreRecordName(RecordName& field, const char* text) {
    field.fill('\0');
    std::strncpy(field.data(), text, field.size() - 1);
}

void CopyRecordName(const RecordName& field, char* buffer, int length) {
    if (buffer == nullptr || length <= 0) return;
    const std::size_t capacity = static_cast<std::size_t>(length);
    std::strncpy(buffer, field.data(), capacity);
    buffer[capacity - 1] = '\0';
}

bool RecordNameEquals(const RecordName& field, const char* key) {
    return key != nullptr && std::strcmp(field.data(), key) == 0;
}

} // namespace tolvane
