#pragma once

#include <deque>
#include <string>
#include <vector>

#include "docview/Messages.h"
#include "res/AppTitle.h"

// Answers message boxes from a queue (then `whenEmpty`) and keeps every request with the caption people
// would see (the program's title when it has none of its own), optionally also in a shared log.
class ScriptedMessages : public IMessages {
public:
    ScriptedMessages() = default;
    // Also writes "message: <text>" into `log`, so a test can check where a message falls among other events.
    explicit ScriptedMessages(std::vector<std::string>& log) : m_log(&log) {}

    msg::Answer Show(const msg::Request& request) override {
        shown.push_back(request);
        if (request.caption.empty()) shown.back().caption = kAppTitle;
        if (m_log) m_log->push_back("message: " + request.text);
        if (answers.empty()) return whenEmpty;
        const msg::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // The texts of the messages shown, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const msg::Request& r : shown) texts.push_back(r.text);
        return texts;
    }
    // How many shown messages start with `prefix`.
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const msg::Request& r : shown) n += r.text.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    std::deque<msg::Answer> answers;
    msg::Answer whenEmpty = msg::Answer::Ok;
    std::vector<msg::Request> shown;

private:
    std::vector<std::string>* m_log = nullptr;
};
