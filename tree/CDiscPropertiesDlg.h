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

    // The texts as they stand in the boxes; a text left as shown is the one given, whatever the box made of
    // it (a line edit drops line breaks, a text edit turns "\r\n" and no-break spaces into its own).
    QString Location() const;
    QString Notes() const;

    QLineEdit* m_editLocation = nullptr;
    QPlainTextEdit* m_editNotes = nullptr;

private:
    QString m_strLocationGiven, m_strLocationShown;
    QString m_strNotesGiven, m_strNotesShown;
};
