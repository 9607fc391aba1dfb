#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "DriveEnv.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "WhenModalOpens.h"
#include "catalogue/CKavrelDoc.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"

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
    ScriptedMessages messages;
    CKavrelDoc doc;
    std::unique_ptr<CMainFrame> frame;
};
