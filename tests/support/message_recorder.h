#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace ov2::test {

// Records every message shown while it lives and answers them from a script; a message with no
// scripted answer gets the answer that changes nothing.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void Answer(MsgResult result) { m_answers.push_back(result); }
    const std::vector<MessageRequest>& Messages() const { return m_messages; }
    std::vector<std::string> Texts() const;

private:
    std::vector<MessageRequest> m_messages;
    std::deque<MsgResult> m_answers;
    MessageBoxHandler m_previous;
};

}  // namespace ov2::test
