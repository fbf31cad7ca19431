#include "tests/support/message_recorder.h"

namespace ov2::test {

MessageRecorder::MessageRecorder() {
    m_previous = SetMessageBoxHandler([this](const MessageRequest& request) {
        m_messages.push_back(request);
        if (m_answers.empty()) return SafeAnswer(request.buttons);
        const MsgResult answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    });
}

MessageRecorder::~MessageRecorder() { SetMessageBoxHandler(std::move(m_previous)); }

std::vector<std::string> MessageRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const MessageRequest& m : m_messages) texts.push_back(m.text);
    return texts;
}

}  // namespace ov2::test
