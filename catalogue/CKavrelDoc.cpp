#include "catalogue/CKavrelDoc.h"

#include <QFile>
#include <QSaveFile>
#include <new>

#include "catalogue/CdiFormat.h"
#include "docview/Messages.h"
#include "platform/Drives.h"

namespace {
QString NativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string Reason(const QFileDevice& file) {
    return file.errorString().toStdString();
}
}  // namespace

CKavrelDoc::CKavrelDoc() {
    m_strDrives.fill(" ");
}

CCDContent CKavrelDoc::GetEntryAt(std::size_t index) {
    return index < m_arrEntries.Size() ? CCDContent(&m_arrEntries, index) : CCDContent();
}

CCDContent CKavrelDoc::GetFirstEntry() {
    return GetEntryAt(0);
}

CCDContent CKavrelDoc::GetLastEntry() {
    return m_arrEntries.Size() ? GetEntryAt(m_arrEntries.Size() - 1) : CCDContent();
}

CCDContent CKavrelDoc::AddNewEntry() {
    if (!AppendEntry({}, {}, {}, {}, {})) return {};
    return GetLastEntry();
}

bool CKavrelDoc::AppendEntry(std::string_view label, std::string_view name, std::string_view kind,
                             std::string_view path, std::string_view size) {
    const std::size_t before = m_arrEntries.Size();
    try {
        m_arrEntries.Append(label, name, kind, path, size);
    } catch (const std::bad_alloc&) {
        m_arrEntries.Truncate(before);
        ReportOutOfMemory();
        return false;
    }
    SetModifiedFlag(true);
    return true;
}

std::string CKavrelDoc::GetFirstLabel() const {
    return m_arrEntries.Size() ? std::string(m_arrEntries.Label(0)) : std::string();
}

bool CKavrelDoc::FindCdDrives() {
    return platform::FillDriveSlots(m_strDrives) > 0;
}

void CKavrelDoc::Serialize(std::string& out) const {
    cdi::Write(m_arrEntries, out);
}

bool CKavrelDoc::OnNewDocument() {
    DeleteContents();
    ClearPathName();
    SetModifiedFlag(false);
    return true;
}

bool CKavrelDoc::OnOpenDocument(const std::string& path, std::string& error) {
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "Cannot open \"" + path + "\": " + Reason(file);
        return false;
    }
    // Mapping keeps a large catalogue from being held twice while it is parsed.
    const qint64 size = file.size();
    const uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    QByteArray readBytes;
    std::span<const char> bytes;
    if (mapped) {
        bytes = {reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(size)};
    } else if (size > 0) {
        readBytes = file.readAll();
        bytes = {readBytes.constData(), static_cast<std::size_t>(readBytes.size())};
    }
    DeleteContents();
    SetModifiedFlag(true);
    std::string why;
    bool ok = false;
    try {
        ok = cdi::Read(bytes, m_arrEntries, why);
    } catch (const std::bad_alloc&) {
        why = "not enough memory to hold it";
    }
    if (mapped) file.unmap(const_cast<uchar*>(mapped));
    if (!ok) {
        DeleteContents();
        ClearPathName();
        SetModifiedFlag(false);
        error = "\"" + path + "\" is not a catalogue that can be opened: " + why;
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CKavrelDoc::OnSaveDocument(const std::string& path, std::string& error) {
    // QSaveFile writes beside the target and renames over it only after a flush, so a failed save never
    // leaves a half-written catalogue where the old one was.
    QSaveFile file(NativePath(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = "Cannot save \"" + path + "\": " + Reason(file);
        return false;
    }
    const bool written = cdi::WriteTo(m_arrEntries, [&file](std::string_view chunk) {
        return file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
               static_cast<qint64>(chunk.size());
    });
    if (!written || !file.commit()) {
        error = "Cannot save \"" + path + "\": " + Reason(file);
        file.cancelWriting();
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

void CKavrelDoc::DeleteContents() {
    m_arrEntries.Clear();
}

void CKavrelDoc::ReportOutOfMemory() {
    if (m_pMessages) m_pMessages->Tell("Out of memory", msg::Icon::Stop);
}
