#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DriveEnv.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "WhenModalOpens.h"
#include "catalogue/CKavrelDoc.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"

// The walk's progress window while it is on screen, or null. It is not modal (a window-system close must
// reach the main window), so it is looked for among the windows shown.
inline QProgressDialog* ShownProgress() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<QProgressDialog*>(window); progress && progress->isVisible())
            return progress;
    return nullptr;
}

// Runs `answer` on the walk's progress window once it shows, from inside the walk's event loop.
inline void WhenProgressShows(std::function<void(QProgressDialog*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QProgressDialog* progress = ShownProgress()) {
            poll->stop();
            poll->deleteLater();
            answer(progress);
        }
    });
    poll->start();
}

// A shown main window over a document, with drive E mapped to a temporary folder holding a small disc.
class FrameTest : public ::testing::Test {
protected:
    FrameTest() {
        disc.File("A.TXT", 1500);
        disc.File("DOCS/B.DOC", 20);
        doc.SetMessages(&messages);
        frame = std::make_unique<CMainFrame>(&doc, &messages);
        frame->show();
        doc.SendInitialUpdate();
        QApplication::setActiveWindow(frame.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    TempFolder disc;
    DriveEnv drives{"E=" + disc.Root()};
    std::vector<std::string> log;  // the messages shown, "message: <text>", among what a test adds
    ScriptedMessages messages{log};
    CKavrelDoc doc;
    std::unique_ptr<CMainFrame> frame;
};
