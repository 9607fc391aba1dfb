#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "RecordingView.h"
#include "ScriptedMessages.h"
#include "app/CKavrelApp.h"
#include "app/IFileDialogs.h"
#include "catalogue/CKavrelDoc.h"

// Answers the file dialogs with prepared paths (nothing = cancel) and counts the questions.
class ScriptedDialogs : public IFileDialogs {
public:
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
    std::optional<listexport::Target> exportTarget;
    std::vector<std::string> imagePaths;
    std::string lastSuggestion;
    int openAsked = 0;
    int saveAsked = 0;
    int exportAsked = 0;
    int imagesAsked = 0;

    std::optional<std::string> AskOpenPath() override {
        ++openAsked;
        return openPath;
    }
    std::optional<std::string> AskSavePath(const std::string& suggested) override {
        ++saveAsked;
        lastSuggestion = suggested;
        return savePath;
    }
    std::optional<listexport::Target> AskExportPath(const std::string& suggested) override {
        ++exportAsked;
        lastSuggestion = suggested;
        return exportTarget;
    }
    std::vector<std::string> AskImagePaths() override {
        ++imagesAsked;
        return imagePaths;
    }
};

// Writes a catalogue file with one disc of `entries` files, without touching the document under test.
inline std::string WriteCatalogue(const std::string& path, const std::string& label, int entries) {
    CKavrelDoc other;
    for (int i = 0; i < entries; ++i)
        other.AppendEntry(label, "F" + std::to_string(i) + ".TXT", kKindFile, "\\", "1");
    std::string error;
    EXPECT_TRUE(other.OnSaveDocument(path, error)) << error;
    return path;
}

// What every test of the whole application starts from: a scratch folder and settings of its own, scripted
// messages and dialogs, and an instance-server name no other test shares.
class AppFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    QString server = "tamberol-test-" + QUuid::createUuid().toString(QUuid::Id128);

    CKavrelApp::Options Options() { return {server, &settings, &messages, &dialogs}; }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    // Runs the event loop until `done` holds or `ms` have passed; whether it holds.
    static bool Spin(const std::function<bool()>& done, int ms = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
};
