#pragma once

#include <QDialog>

// Help > About Kavrel...: the program's name, version and what it is for.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    // Runs the box modally; the answer means nothing.
    int DoModal() { return exec(); }
};
