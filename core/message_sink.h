#pragma once

#include <functional>
#include <string>

namespace tolvane {

/// The two kinds of message box the library can ask for.
enum class MessageKind {
    Error, ///< caption "Error", warning icon, OK button
    Help,  ///< caption "Help", information icon, OK button
};

/// Receives every message box the library asks for. The GUI shows a QMessageBox, the CLI writes
/// to stderr, tests capture the texts. With no sink installed, messages are dropped: the library
/// never writes to a terminal or opens a window by itself.
using MessageSink = std::function<void(MessageKind kind, const std::string& text)>;

/// Installs the program's sink and returns the previous one (so scoped users can restore it).
MessageSink InstallMessageSink(MessageSink sink);

/// Shows `text` in a box captioned "Error". A null text shows nothing.
void ShowErrorMessage(const char* text);

/// Shows `text` in a box captioned "Help" (advice after a computation). A null text shows nothing.
void ShowHelpMessage(const char* text);

} // namespace tolvane
