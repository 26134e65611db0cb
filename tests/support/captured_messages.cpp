#include "support/captured_messages.h"

#include <utility>

namespace tolvane::testing {

CapturedMessages::CapturedMessages() {
    previous_ = InstallMessageSink([this](MessageKind kind, const std::string& text) {
        messages_.push_back({kind, text});
    });
}

CapturedMessages::~CapturedMessages() {
    InstallMessageSink(std::move(previous_));
}

std::vector<std::string> CapturedMessages::errors() const {
    std::vector<std::string> texts;
    for (const Message& m : messages_)
        if (m.kind == MessageKind::Error) texts.push_back(m.text);
    return texts;
}

std::vector<std::string> CapturedMessages::help() const {
    std::vector<std::string> texts;
    for (const Message& m : messages_)
        if (m.kind == MessageKind::Help) texts.push_back(m.text);
    return texts;
}

} // namespace tolvane::testing
