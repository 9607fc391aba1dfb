#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "docview/CView.h"
#include "docview/IResultsPane.h"

// A view that writes down every hint it gets, with the exchange fields that hint carries.
class HintRecorder : public CView {
public:
    struct Heard {
        int hint;
        std::string text;                 // m_strSelText (11), m_strPickLabel (12), m_strDriveRoot (13)
        int row = 0;                      // m_nListRow (14)
        std::array<std::string, 4> live;  // m_strListRow (14)
    };

    explicit HintRecorder(CKavrelDoc* doc) : m_doc(doc) { SetDocument(doc); }

    void OnUpdate(CView*, int hint) override {
        Heard heard{hint, {}, 0, {}};
        if (hint == hint::kShowDisc) heard.text = m_doc->m_strSelText;
        if (hint == hint::kShowPickedDisc) heard.text = m_doc->m_strPickLabel;
        if (hint == hint::kLiveListing) heard.text = m_doc->m_strDriveRoot;
        if (hint == hint::kLiveRow) {
            heard.row = m_doc->m_nListRow;
            heard.live = m_doc->m_strListRow;
        }
        heard_.push_back(heard);
    }

    std::vector<int> Hints() const {
        std::vector<int> hints;
        for (const Heard& h : heard_) hints.push_back(h.hint);
        return hints;
    }

    std::vector<Heard> heard_;

private:
    CKavrelDoc* m_doc;
};

// A results pane that only keeps its flag.
class FakePane : public IResultsPane {
public:
    bool IsResultsHidden() const override { return hidden; }
    void ShowResultsPane() override { hidden = false; }
    void HideResultsPane() override {
        hidden = true;
        ++hides;
    }
    bool hidden = false;
    int hides = 0;
};

// Points the optical drive list at temporary folders for the life of the object ("E=/tmp/x;F=...").
class FakeDrives {
public:
    explicit FakeDrives(const std::string& map) {
        qputenv("TAMBEROL_DRIVES", QByteArray::fromStdString(map));
    }
    ~FakeDrives() { qunsetenv("TAMBEROL_DRIVES"); }
    FakeDrives(const FakeDrives&) = delete;
    FakeDrives& operator=(const FakeDrives&) = delete;
};

// Creates a file of `size` bytes under `root`.
inline void MakeFile(const QString& root, const QString& relative, qint64 size) {
    QFile file(root + QLatin1Char('/') + relative);
    QDir().mkpath(QFileInfo(file).absolutePath());
    file.open(QIODevice::WriteOnly);
    file.resize(size);
}
