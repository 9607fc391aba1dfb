#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "docview/Messages.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"

// Answers every message box with OK and keeps its text.
class ScriptedMessages : public IMessages {
public:
    msg::Answer Show(const msg::Request& request) override {
        shown.push_back(request.text);
        return msg::Answer::Ok;
    }
    std::vector<std::string> shown;
};

// Runs `answer` on the first modal dialog of type T that opens, from inside its event loop.
template <typename T>
void WhenModalOpens(std::function<void(T*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start();
}

// Creates a file of `size` bytes under `root`, making its folders.
inline void MakeFile(const QString& root, const QString& relative, qint64 size) {
    QFile file(root + QLatin1Char('/') + relative);
    QDir().mkpath(QFileInfo(file).absolutePath());
    file.open(QIODevice::WriteOnly);
    file.resize(size);
}

// A shown main window over a document, with drive E mapped to a temporary folder holding a small disc.
class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char arg0[] = "frame_tests";
        static char* argv[] = {arg0, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }

    FrameTest() {
        MakeFile(disc.path(), QStringLiteral("A.TXT"), 1500);
        MakeFile(disc.path(), QStringLiteral("DOCS/B.DOC"), 20);
        qputenv("TAMBEROL_DRIVES", QByteArray::fromStdString("E=" + disc.path().toStdString()));
        doc.SetMessages(&messages);
        frame = std::make_unique<CMainFrame>(&doc, &messages);
        frame->show();
        doc.SendInitialUpdate();
        QApplication::setActiveWindow(frame.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    ~FrameTest() override {
        frame.reset();
        qunsetenv("TAMBEROL_DRIVES");
    }

    QTemporaryDir disc;
    ScriptedMessages messages;
    CKavrelDoc doc;
    std::unique_ptr<CMainFrame> frame;
};
