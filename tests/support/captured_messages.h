#pragma once

#include "core/message_sink.h"

#include <string>
#include <vector>

namespace tolvane::testing {

/// Installs a sink that records every message box for the lifetime of the object, then restores
/// the previous sink. Tests assert on the exact texts and their order.
class CapturedMessages {
public:
    struct Message {
        MessageKind kind;
        std::string text;
        bool operator==(const Message&) const = default;
    };

    CapturedMessages();
    ~CapturedMessages();
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    /// Every message in order, errors and help alike.
    [[nodiscard]] const std::vector<Message>& all() const { return messages_; }
    /// The texts of the "Error" boxes, in order.
    [[nodiscard]] std::vector<std::string> errors() const;
    /// The texts of the "Help" boxes, in order.
    [[nodiscard]] std::vector<std::string> help() const;
    void clear() { messages_.clear(); }

private:
    std::vector<Message> messages_;
    MessageSink previous_;
};

} // namespace tolvane::testing
