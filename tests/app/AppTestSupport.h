#pragma once

#include <QCoreApplication>
#include <optional>
#include <string>
#include <vector>

#include "RecordingView.h"
#include "ScriptedMessages.h"
#include "app/IFileDialogs.h"

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
