#pragma once

#include <string>
#include <vector>

#include "FakeResultsPane.h"
#include "ScriptedMessages.h"
#include "catalogue/CKavrelDoc.h"
#include "docview/CView.h"

// A results list and a catalogue for the search tests; the list writes what happens to it into the log that
// the scripted messages and the fake pane share, so a test can check the order of everything a search does.
namespace searchtest {

using Log = std::vector<std::string>;

// Keeps rows as the results list does: a clear empties it, each hit goes to the top.
class RecordingResults : public CView {
public:
    RecordingResults(CKavrelDoc& doc, Log& log) : m_doc(doc), m_log(log) { SetDocument(&doc); }
    void OnUpdate(CView*, int hintNumber) override {
        if (hintNumber != hint::kResultRow) return;
        if (m_doc.m_bResultRow == 0) {
            m_log.push_back("clear");
            rows.clear();
            return;
        }
        m_log.push_back("hit " + m_doc.m_strFoundName);
        rows.insert(rows.begin(), {m_doc.m_strFoundName, m_doc.m_strFoundLabel, m_doc.m_strFoundPath,
                                   m_doc.m_strFoundSize, m_doc.m_strFoundKind});
    }
    struct Row {
        std::string name, label, path, size, kind;
    };
    std::vector<Row> rows;  // top row first

private:
    CKavrelDoc& m_doc;
    Log& m_log;
};

// A catalogue where each of the eight option codes finds a different set of entries for the text "doc".
inline void AddOptionCatalogue(CKavrelDoc& doc) {
    doc.AppendEntry("Disc1", "doc", "file ", "\\", "1");
    doc.AppendEntry("Disc1", "DOC", "file ", "\\", "2");
    doc.AppendEntry("Disc1", "doc", "folder ", "\\", "3");
    doc.AppendEntry("Disc2", "mydoc.txt", "file ", "\\a\\", "4");
    doc.AppendEntry("Disc2", "MyDOC.txt", "folder ", "\\a\\", "5");
    doc.AppendEntry("Disc2", "DOC", "folder ", "\\b\\", "6");
    doc.SetModifiedFlag(false);
}

// Size texts (which number the entries) of what AddOptionCatalogue gives for "doc" under each code.
struct OptionCase {
    int code;
    std::vector<std::string> sizes;
};
inline const std::vector<OptionCase> kOptionCases = {
    {0, {"1", "2", "4"}},       {1, {"1", "2"}},   {10, {"1", "2", "3", "4", "5", "6"}},
    {11, {"1", "2", "3", "6"}}, {100, {"1", "4"}}, {101, {"1"}},
    {110, {"1", "3", "4"}},     {111, {"1", "3"}},
};

}  // namespace searchtest
