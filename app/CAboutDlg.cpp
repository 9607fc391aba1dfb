#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "res/Skin.h"

// The icon lives in this static library's resources; register them before the first look-up.
static void InitAboutResources() {
    Q_INIT_RESOURCE(app);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    InitAboutResources();
    setWindowTitle(QStringLiteral("About Kavrel"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/tamberol.png")).pixmap(48));
    auto* text = new QLabel(
        QStringLiteral("<b>Tamberol</b> version %1<p>Catalogues the files and folders of CD and DVD discs, "
                       "so you can find what is on a disc without putting it in the drive.</p>")
            .arg(QStringLiteral(TAMBEROL_VERSION)),
        this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedWidth(380);
    skin::ApplySkin(this);
}
