#pragma once

#include <QApplication>
#include <deque>
#include <vector>

#include "docview/CView.h"
#include "docview/Messages.h"

namespace edit_test {

// The one application object of a GUI test process; the first sample disc is the optical drive E:.
inline QApplication& App() {
    static int argc = 1;
    static char name[] = "edit_gui_tests";
    static char* argv[] = {name, nullptr};
    qputenv("TAMBEROL_DRIVES", QByteArray("E=") + TAMBEROL_SAMPLES "/disc");
    // Never destroyed: tearing it down after the tests' static objects crashes in Qt's post routines.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Answers message boxes from a script (No when the script runs dry) and keeps every request.
class ScriptedMessages : public IMessages {
public:
    msg::Answer Show(const msg::Request& request) override {
        requests.push_back(request);
        if (answers.empty()) return msg::Answer::No;
        const msg::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<msg::Answer> answers;
    std::vector<msg::Request> requests;
};

// A view that only records the hints it is sent.
class HintRecorder : public CView {
public:
    void OnUpdate(CView*, int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

}  // namespace edit_test
