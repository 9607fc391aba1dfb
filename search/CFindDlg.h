#pragma once

#include <QDialog>
#include <string>

#include "search/Options.h"

class QCheckBox;
class QLineEdit;

// "Gold find": asks for the name to look for and the three options; opens with the defaults every time.
class CFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFindDlg(QWidget* parent = nullptr);

    // The options the boxes were left at when Search was pressed (a member counts as set when it is 1).
    search::Options SearchOptions() const;

    int m_bCaseSensitive = 0;
    int m_bFileAndFolder = 1;
    int m_bWholeWord = 0;
    std::string m_strFind;  // the text typed (UTF-8)

    QLineEdit* m_editFind = nullptr;
    QCheckBox* m_checkCase = nullptr;
    QCheckBox* m_checkFileAndFolder = nullptr;
    QCheckBox* m_checkWholeWord = nullptr;

protected:
    void accept() override;
};
