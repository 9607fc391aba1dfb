#include "res/QtMessages.h"

#include <QMessageBox>

#include "res/AppTitle.h"
#include "res/Skin.h"
#include "res/Texts.h"

msg::Answer QtMessages::Show(const msg::Request& request) {
    QMessageBox box(m_owner);
    box.setWindowTitle(ToQString(request.caption.empty() ? kAppTitle : request.caption));
    box.setText(ToQString(request.text));
    switch (request.icon) {
        case msg::Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case msg::Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case msg::Icon::Warning:
        case msg::Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case msg::Icon::Error:
        case msg::Icon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    switch (request.buttons) {
        case msg::Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case msg::Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            if (request.noByDefault) box.setDefaultButton(QMessageBox::No);
            break;
        case msg::Buttons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    skin::ApplySkin(&box);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return msg::Answer::Yes;
        case QMessageBox::No:
            return msg::Answer::No;
        case QMessageBox::Cancel:
            return msg::Answer::Cancel;
        default:
            return request.buttons == msg::Buttons::Ok ? msg::Answer::Ok : msg::Answer::Cancel;
    }
}
