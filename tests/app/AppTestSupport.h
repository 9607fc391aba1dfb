#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/IFileDialogs.h"
#include "docview/CView.h"
#include "docview/Messages.h"

// Answers message boxes from a script (Ok when it runs dry) and remembers what was asked.
class ScriptedMessages : public IMessages {
public:
    std::deque<msg::Answer> answers;
    std::vector<msg::Request> shown;

    msg::Answer Show(const msg::Request& request) override {
        shown.push_back(request);
        if (answers.empty()) return msg::Answer::Ok;
        const msg::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int Count(const std::string& startingWith) const {
        int n = 0;
        for (const auto& r : shown) n += r.text.rfind(startingWith, 0) == 0 ? 1 : 0;
        return n;
    }
};

// Answers the file dialogs with prepared paths (nothing = cancel) and counts the questions.
class ScriptedDialogs : public IFileDialogs {
public:
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::string lastSuggestion;
    int openAsked = 0;
    int saveAsked = 0;

    std::optional<std::string> AskOpenPath() override {
        ++openAsked;
        return openPath;
    }
    std::optional<std::string> AskSavePath(const std::string& suggested) override {
        ++saveAsked;
        lastSuggestion = suggested;
        return savePath;
    }
};

// Counts initial updates, which every New and Open must re-run.
class CountingView : public CView {
public:
    int initialUpdates = 0;
    void OnInitialUpdate() override { ++initialUpdates; }
    void OnUpdate(CView*, int) override {}
};

#include <QApplication>

// One QApplication per test process (the local socket and the widgets need it), on the offscreen platform.
inline void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}
