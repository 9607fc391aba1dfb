#include "app/DocumentLifecycle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "app/IFileDialogs.h"
#include "app/RecentFileList.h"
#include "catalogue/CKavrelDoc.h"
#include "docview/Messages.h"

namespace {
// File names are bytes in the document, as the file system has them.
QString ToPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string FromPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string Absolute(const std::string& path) {
    return FromPath(QDir::cleanPath(QFileInfo(ToPath(path)).absoluteFilePath()));
}

bool HasExtension(const std::string& path) {
    return ToPath(path).endsWith(QLatin1String(DocumentLifecycle::kExtension), Qt::CaseInsensitive);
}
}  // namespace

DocumentLifecycle::DocumentLifecycle(CKavrelDoc& doc, IMessages& messages, IFileDialogs& dialogs,
                                     RecentFileList& recent)
    : m_doc(doc), m_messages(messages), m_dialogs(dialogs), m_recent(recent) {}

bool DocumentLifecycle::SaveModified() {
    if (!m_doc.IsModified()) return true;
    const std::string name = m_doc.GetPathName().empty()
                                 ? m_doc.GetTitle()
                                 : FromPath(QDir::toNativeSeparators(ToPath(m_doc.GetPathName())));
    const msg::Answer answer = m_messages.Show(
        {"Save changes to " + name + "?", {}, msg::Buttons::YesNoCancel, msg::Icon::Exclamation});
    switch (answer) {
        case msg::Answer::Yes:
            return FileSave();
        case msg::Answer::No:
            return true;
        default:
            return false;
    }
}

bool DocumentLifecycle::FileNew() {
    if (!SaveModified()) return false;
    m_doc.OnNewDocument();
    Reinitialise();
    return true;
}

bool DocumentLifecycle::FileOpen() {
    // The file first: someone who cancels the dialog has nothing to be asked about.
    const auto path = m_dialogs.AskOpenPath();
    return path && OpenDocumentFile(*path);
}

bool DocumentLifecycle::OpenDocumentFile(const std::string& path) {
    return SaveModified() && Open(path) == Opened::Yes;
}

bool DocumentLifecycle::OpenRecentFile(int index) {
    if (index < 0 || index >= m_recent.Paths().size()) return false;
    return OpenRecentFile(m_recent.Paths()[index]);
}

bool DocumentLifecycle::OpenRecentFile(QString path) {
    // Checked before the prompt: nobody should be asked to save only to hear the file is gone.
    if (!QFileInfo::exists(path)) {
        Report("The file " + FromPath(QDir::toNativeSeparators(path)) +
               " no longer exists. It has been removed from the recent file list.");
        m_recent.Remove(path);
        return false;
    }
    if (!SaveModified()) return false;
    if (Open(FromPath(path)) == Opened::Yes) return true;
    m_recent.Remove(path);
    return false;
}

bool DocumentLifecycle::OpenAtStart(const std::string& path) {
    return Open(path) == Opened::Yes;
}

bool DocumentLifecycle::FileSave() {
    if (m_doc.GetPathName().empty()) return FileSaveAs();
    return SaveTo(m_doc.GetPathName());
}

bool DocumentLifecycle::FileSaveAs() {
    const std::string suggested =
        m_doc.GetPathName().empty() ? m_doc.GetTitle() + kExtension : m_doc.GetPathName();
    auto path = m_dialogs.AskSavePath(suggested);
    if (!path || path->empty()) return false;
    if (!HasExtension(*path)) {
        *path += kExtension;
        // The dialog confirmed the name it was given, not this one: another catalogue may already have it.
        if (QFileInfo::exists(ToPath(*path))) {
            const std::string shown = FromPath(QDir::toNativeSeparators(ToPath(Absolute(*path))));
            const msg::Answer answer =
                m_messages.Show({shown + " already exists.\nDo you want to replace it?", "Save As",
                                 msg::Buttons::YesNo, msg::Icon::Exclamation});
            if (answer != msg::Answer::Yes) return false;
        }
    }
    return SaveTo(*path);
}

DocumentLifecycle::Opened DocumentLifecycle::Open(const std::string& path) {
    const std::string full = Absolute(path);
    const QFileInfo info(ToPath(full));
    // Whether the file could be read decides what a failure leaves behind: an unreadable path keeps the
    // current catalogue, a file that proved bad has already emptied it.
    const bool readable = info.isFile() && info.isReadable();
    std::string error;
    if (m_doc.OnOpenDocument(full, error)) {
        m_recent.Add(ToPath(full));
        Reinitialise();
        // Over the catalogue it opened, so that a person sees what is there and what is missing.
        if (!m_doc.OpenWarning().empty()) m_messages.Tell(m_doc.OpenWarning(), msg::Icon::Exclamation);
        return Opened::Yes;
    }
    Report(error.empty() ? "Cannot open the file " + full + "." : error);
    if (!readable) return Opened::Unreadable;
    m_doc.OnNewDocument();
    Reinitialise();
    return Opened::Bad;
}

bool DocumentLifecycle::SaveTo(const std::string& path) {
    const std::string full = Absolute(path);
    std::string error;
    if (!m_doc.OnSaveDocument(full, error)) {
        Report(error.empty() ? "Cannot save the file " + full + "." : error);
        return false;
    }
    m_recent.Add(ToPath(full));
    Changed();
    return true;
}

void DocumentLifecycle::Reinitialise() {
    m_doc.SendInitialUpdate();
    Changed();
}

void DocumentLifecycle::Changed() {
    if (m_onChanged) m_onChanged();
}

void DocumentLifecycle::Report(const std::string& text) {
    m_messages.Tell(text, msg::Icon::Exclamation);
}
