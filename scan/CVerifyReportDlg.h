#pragma once

#include <QDialog>

#include "scan/VerifyDisc.h"

class QLabel;
class QTreeWidget;

// "Verify Disc": the files of a disc that no longer read as catalogued, each with its finding, then the
// counts of the whole verify. Only shown; it changes nothing.
class CVerifyReportDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the `lines` of a report (DifferingLines) and its `summary` for the disc labelled `label`.
    CVerifyReportDlg(const std::vector<scan::VerifyLine>& lines, const std::string& summary,
                     const std::string& label, QWidget* parent = nullptr);

    QTreeWidget* m_pFiles = nullptr;  // a row per file: finding, folder and name, reason
    QLabel* m_pSummary = nullptr;     // VerifyReport::Summary()
};
