#include "app/QtFileDialogs.h"

#include <QFile>
#include <QFileDialog>

#include "res/Skin.h"

namespace {
std::optional<std::string> Ask(QFileDialog& dialog) {
    skin::ApplySkin(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}
}  // namespace

std::optional<std::string> QtFileDialogs::AskOpenPath() {
    QFileDialog dialog(m_owner, QStringLiteral("Open"), QString(), QString::fromLatin1(kFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Ask(dialog);
}

std::optional<std::string> QtFileDialogs::AskSavePath(const std::string& suggested) {
    QFileDialog dialog(m_owner, QStringLiteral("Save As"), QString(), QString::fromLatin1(kFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(suggested)));
    return Ask(dialog);
}

std::optional<listexport::Target> QtFileDialogs::AskExportPath(const std::string& suggested) {
    const QString csv = QString::fromLatin1(kCsvFilter);
    const QString html = QString::fromLatin1(kHtmlFilter);
    QFileDialog dialog(m_owner, QStringLiteral("Export List"), QString(), csv + QStringLiteral(";;") + html);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(suggested)));
    const std::optional<std::string> path = Ask(dialog);
    if (!path) return std::nullopt;
    const auto chosen =
        dialog.selectedNameFilter() == html ? listexport::Format::Html : listexport::Format::Csv;
    return listexport::TargetFor(*path, chosen);
}

std::vector<std::string> QtFileDialogs::AskImagePaths() {
    QFileDialog dialog(m_owner, QStringLiteral("Catalogue Disc Images"), QString(),
                       QString::fromLatin1(kImageFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    skin::ApplySkin(&dialog);
    std::vector<std::string> paths;
    if (dialog.exec() != QDialog::Accepted) return paths;
    for (const QString& file : dialog.selectedFiles()) paths.push_back(QFile::encodeName(file).toStdString());
    return paths;
}
