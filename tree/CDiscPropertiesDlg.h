#pragma once

#include <QDialog>

#include "tree/DiscProperties.h"

class QLineEdit;
class QPlainTextEdit;

// "Disc Properties": a disc's details to read, and its location and notes to edit.
class CDiscPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDiscPropertiesDlg(const discprops::DiscDetails& details, QWidget* parent = nullptr);

    // The texts as they stand in the boxes.
    QString Location() const;
    QString Notes() const;

    QLineEdit* m_editLocation = nullptr;
    QPlainTextEdit* m_editNotes = nullptr;
};
