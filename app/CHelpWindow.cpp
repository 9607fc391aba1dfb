#include "app/CHelpWindow.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "res/Skin.h"

// The guide lives in this static library's resources; register them before the first look-up.
static void InitHelpResources() {
    Q_INIT_RESOURCE(app);
}

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
    InitHelpResources();
    setWindowTitle(QStringLiteral("Tamberol Help"));
    // Not modal: the guide stays open beside the main window while people try what it says.
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(GuideUrl());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(640, 560);
    skin::ApplySkin(this);
}

QUrl CHelpWindow::GuideUrl() {
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}
