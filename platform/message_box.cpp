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

MsgResult OvMessageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
    return Handler()(MessageRequest{std::string(text), buttons, icon});
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    if (!handler) handler = PrintToStderr;
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace ov2
