// Message boxes answered by a window test instead of a person: each one is
// recorded; an OK box gets OK, a question the next of `replies` (No when
// none is left).
#pragma once

#include "engine/Console.h"

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
    bool owned; // false: a box without owner window
};

class ScriptedAnswers {
public:
    MessageAnswer Answer(const MessageBox& box, bool owned) {
        messages.push_back(
            {std::string(box.text), std::string(box.caption), box.icon, box.buttons, owned});
        if (box.buttons == MessageButtons::Ok) {
            return MessageAnswer::Ok;
        }
        if (replies.empty()) {
            return MessageAnswer::No;
        }
        const MessageAnswer reply = replies.front();
        replies.pop_front();
        return reply;
    }

    // The messages with this text so far.
    int CountMessages(std::string_view text) const {
        int n = 0;
        for (const auto& m : messages) {
            n += m.text == text ? 1 : 0;
        }
        return n;
    }

    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> replies; // answers to questions, in order; No when empty
};

} // namespace kelmora::testing
