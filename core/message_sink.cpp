#include "core/message_sink.h"

#include <utility>

namespace tolvane {
namespace {

MessageSink& CurrentSink() {
    static MessageSink sink;
    return sink;
}

void Show(MessageKind kind, const char* text) {
    if (text == nullptr) return;
    if (const MessageSink& sink = CurrentSink()) sink(kind, text);
}

} // namespace

MessageSink InstallMessageSink(MessageSink sink) {
    return std::exchange(CurrentSink(), std::move(sink));
}

void ShowErrorMessage(const char* text) {
    Show(MessageKind::Error, text);
}

void ShowHelpMessage(const char* text) {
    Show(MessageKind::Help, text);
}

} // namespace tolvane
