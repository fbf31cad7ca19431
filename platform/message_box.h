#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every message the program shows the user goes through OvMessageBox, so that the program can
// show it as a dialog and tests can read its exact text and answer it from a script.
namespace ov2 {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Cancel, Yes, No, Retry };

struct MessageRequest {
    std::string text;  // UTF-8
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    std::optional<MsgResult> defaultAnswer;  // the button that Enter presses
    // Texts for the buttons in their order (Yes, No, Cancel, ...) where a question needs its own
    // words ("Read-Only", "Open Anyway"); the answers stay those of the buttons they replace.
    std::vector<std::string> labels;
};

using MessageBoxHandler = std::function<MsgResult(const MessageRequest&)>;

// Shows a message and returns the user's answer. A message without an icon gets the one of its
// kind: a question for Yes/No and OK/Cancel prompts, a warning for an OK-only refusal or a retry.
// A message without a default answer gets No for a Yes/No prompt, which in this program always
// asks before something is deleted, and the first button otherwise.
MsgResult OvMessageBox(std::string_view text, MsgButtons buttons = MsgButtons::Ok,
                       MsgIcon icon = MsgIcon::None,
                       std::optional<MsgResult> defaultAnswer = std::nullopt,
                       std::vector<std::string> labels = {});

// Installs the handler that shows messages and returns the previous one. An empty handler
// restores the default, which prints the message to standard error and answers with the
// button that changes nothing (Cancel, else No, else OK).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The answer that changes nothing for a set of buttons.
MsgResult SafeAnswer(MsgButtons buttons);

}  // namespace ov2
