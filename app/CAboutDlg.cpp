#include "app/CAboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "res/Skin.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Kavrel"));
    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().isNull() ? style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(48)
                                          : windowIcon().pixmap(48));
    auto* text = new QLabel(
        QStringLiteral("<b>Tamberol</b> version %1<p>Catalogues the files and folders of CD and DVD discs, "
                       "so you can find what is on a disc without putting it in the drive.</p>")
            .arg(QApplication::applicationVersion()),
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
