#include "app/QtFileDialogs.h"

#include <QFile>
#include <QFileDialog>

std::optional<std::string> QtFileDialogs::AskOpenPath() {
    const QString path = QFileDialog::getOpenFileName(m_owner, QStringLiteral("Open"), QString(),
                                                      QString::fromLatin1(kFilter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

std::optional<std::string> QtFileDialogs::AskSavePath(const std::string& suggested) {
    const QString path = QFileDialog::getSaveFileName(m_owner, QStringLiteral("Save As"),
                                                      QFile::decodeName(QByteArray::fromStdString(suggested)),
                                                      QString::fromLatin1(kFilter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}
