#pragma once

#include <array>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "docview/CView.h"

// A view that records every hint it hears, the sender, and the exchange fields of the document at that
// moment.
class RecordingView : public CView {
public:
    struct Heard {
        int hint = 0;
        CView* sender = nullptr;
        std::string selText;                   // m_strSelText
        std::string pickLabel;                 // m_strPickLabel
        std::string pickName;                  // m_strPickName
        std::string pickPath;                  // m_strPickPath
        std::string driveRoot;                 // m_strDriveRoot
        std::string lastLabel;                 // m_strLastLabel
        int listRow = 0;                       // m_nListRow
        std::array<std::string, 4> listTexts;  // m_strListRow
    };

    RecordingView() = default;
    explicit RecordingView(CKavrelDoc& doc) { SetDocument(&doc); }

    void OnInitialUpdate() override { ++initialUpdates; }
    void OnUpdate(CView* sender, int hint) override {
        Heard h;
        h.hint = hint;
        h.sender = sender;
        if (const auto* doc = dynamic_cast<const CKavrelDoc*>(GetDocument())) {
            h.selText = doc->m_strSelText;
            h.pickLabel = doc->m_strPickLabel;
            h.pickName = doc->m_strPickName;
            h.pickPath = doc->m_strPickPath;
            h.driveRoot = doc->m_strDriveRoot;
            h.lastLabel = doc->m_strLastLabel;
            h.listRow = doc->m_nListRow;
            for (std::size_t i = 0; i < h.listTexts.size(); ++i) h.listTexts[i] = doc->m_strListRow[i];
        }
        heard.push_back(h);
    }

    // The hint numbers heard, in order.
    std::vector<int> Hints() const {
        std::vector<int> hints;
        for (const Heard& h : heard) hints.push_back(h.hint);
        return hints;
    }

    std::vector<Heard> heard;
    int initialUpdates = 0;
};
