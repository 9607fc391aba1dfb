#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

// Help > Help Topics: the user guide shipped in the resources, in a window of its own.
class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);
    // The guide's address in the resources.
    static QUrl GuideUrl();
    // The browser showing the guide.
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};
