#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "docview/CView.h"
#include "docview/Messages.h"

// Remembers every message box asked for and answers Ok.
class RecordingMessages : public IMessages {
public:
    std::vector<msg::Request> shown;
    msg::Answer Show(const msg::Request& request) override {
        shown.push_back(request);
        return msg::Answer::Ok;
    }
};

// A view that records the hints it hears and the pick fields at that moment.
class RecordingView : public CView {
public:
    struct Heard {
        int hint;
        std::string pickLabel;
        std::string pickName;
        std::string pickPath;
    };
    std::vector<Heard> heard;
    void OnUpdate(CView*, int hint) override {
        const auto* doc = static_cast<const CKavrelDoc*>(GetDocument());
        heard.push_back({hint, doc->m_strPickLabel, doc->m_strPickName, doc->m_strPickPath});
    }
};

// Maps optical drive E: to a fresh folder for the lifetime of the object (or no drive at all).
class FakeDrive {
public:
    // With `withDrive` false the machine has no optical drive.
    explicit FakeDrive(bool withDrive = true);
    ~FakeDrive();
    FakeDrive(const FakeDrive&) = delete;
    FakeDrive& operator=(const FakeDrive&) = delete;

    // Creates a file of `bytes` bytes at a path relative to the drive's root ("SUB/B.TXT").
    void AddFile(const std::string& relative, int bytes);
    // Creates a folder relative to the drive's root.
    void AddFolder(const std::string& relative);

private:
    QTemporaryDir m_dir;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// Row texts of one column, top to bottom.
class DetailListModel;
std::vector<std::string> ColumnTexts(const DetailListModel& model, int column);
// Headings of the model's columns, left to right.
std::vector<std::string> Headings(const DetailListModel& model);
