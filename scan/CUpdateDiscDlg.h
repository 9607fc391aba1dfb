#pragma once

#include <QDialog>

#include "scan/UpdateDisc.h"

class QPushButton;
class QTabWidget;

// "Update Disc": what a new walk would change in a disc, the counts and the lists (DescribeDiff), before
// anything changes. Apply (accepted) or Cancel.
class CUpdateDiscDlg : public QDialog {
    Q_OBJECT
public:
    // Shows `plan` against the catalogue's entries `store`.
    CUpdateDiscDlg(const EntryStore& store, const scan::UpdatePlan& plan, QWidget* parent = nullptr);

    QPushButton* m_pApply = nullptr;
    QPushButton* m_pCancel = nullptr;
    QTabWidget* m_pLists = nullptr;
};
