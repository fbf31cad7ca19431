#include "platform/message_box.h"

#include <cstdio>
#include <utility>

namespace ov2 {
namespace {

MsgResult PrintToStderr(const MessageRequest& request) {
    std::fprintf(stderr, "Ov2: %s\n", request.text.c_str());
    return SafeAnswer(request.buttons);
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler = PrintToStderr;
    return handler;
}

}  // namespace

MsgResult SafeAnswer(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok: return MsgResult::Ok;
        case MsgButtons::YesNo: return MsgResult::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
        case MsgButtons::RetryCancel: return MsgResult::Cancel;
    }
    return MsgResult::Cancel;
}

MsgResult OvMessageBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                       std::optional<MsgResult> defaultAnswer, std::vector<std::string> labels) {
    if (icon == MsgIcon::None)
        icon = buttons == MsgButtons::Ok || buttons == MsgButtons::RetryCancel ? MsgIcon::Warning
                                                                               : MsgIcon::Question;
    if (!defaultAnswer) {
        switch (buttons) {
            case MsgButtons::Ok:
            case MsgButtons::OkCancel:
                defaultAnswer = MsgResult::Ok;
                break;
            case MsgButtons::YesNo:
                defaultAnswer = MsgResult::No;
                break;
            case MsgButtons::YesNoCancel:
                defaultAnswer = MsgResult::Yes;
                break;
            case MsgButtons::RetryCancel:
                defaultAnswer = MsgResult::Retry;
                break;
        }
    }
    return Handler()(
        MessageRequest{std::string(text), buttons, icon, defaultAnswer, std::move(labels)});
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    if (!handler) handler = PrintToStderr;
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace ov2
