#include "catalogue/CKavrelDoc.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <new>

#include "catalogue/AtomicFile.h"
#include "catalogue/CdiFormat.h"
#include "docview/Messages.h"
#include "platform/Drives.h"

namespace {
QString NativePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string Reason(const QFile& file) {
    return file.errorString().toStdString();
}
}  // namespace

CKavrelDoc::CKavrelDoc() {
    m_strDrives.fill(" ");
}

CCDContent CKavrelDoc::GetEntryAt(std::size_t index) {
    // The handle can change the entry.
    m_folderIndexes.Clear();
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
    // A disc appended under the last disc's label lengthens that disc.
    m_folderIndexes.Clear();
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
    cdi::Write(m_arrEntries, out, &m_discRecords);
}

bool CKavrelDoc::OnNewDocument() {
    DeleteContents();
    ClearPathName();
    SetModifiedFlag(false);
    return true;
}

bool CKavrelDoc::OnOpenDocument(const std::string& path, std::string& error) {
    QFile file(NativePath(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        error = "Cannot open \"" + path + "\": " + Reason(file);
        return false;
    }
    DeleteContents();
    SetModifiedFlag(true);
    // Read a chunk at a time, so that the file and the catalogue built from it are never both whole in
    // memory.
    const auto source = [&file](char* into, std::size_t capacity, std::string& reason) -> std::int64_t {
        const qint64 got = file.read(into, static_cast<qint64>(capacity));
        if (got < 0) reason = Reason(file);
        return got;
    };
    std::string why;
    bool ok = false;
    cdi::Extension extension;
    try {
        ok = cdi::ReadChunks(static_cast<std::uint64_t>(std::max<qint64>(file.size(), 0)), source,
                             m_arrEntries, why, cdi::kReadChunk, &extension);
    } catch (const std::bad_alloc&) {
        m_arrEntries.Clear();
        why = "not enough memory to hold it";
    }
    if (!ok) {
        DeleteContents();
        ClearPathName();
        SetModifiedFlag(false);
        error = "\"" + path + "\" is not a catalogue that can be opened: " + why;
        return false;
    }
    m_discRecords = std::move(extension.discs);
    if (!extension.problem.empty())
        m_strOpenWarning =
            "The dates and disc details in \"" + path + "\" could not be read and were left out.";
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CKavrelDoc::OnSaveDocument(const std::string& path, std::string& error) {
    AtomicFile file(path);
    const bool saved =
        file.Open() &&
        cdi::WriteTo(
            m_arrEntries, [&file](std::string_view chunk) { return file.Write(chunk); }, &m_discRecords) &&
        file.Commit();
    if (!saved) {
        error = "Cannot save \"" + path + "\": " + file.Error();
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

void CKavrelDoc::DeleteContents() {
    m_folderIndexes.Clear();
    m_arrEntries.Clear();
    m_discRecords.Clear();
    m_strOpenWarning.clear();
}

void CKavrelDoc::ReportOutOfMemory() {
    if (m_pMessages) m_pMessages->Tell("Out of memory", msg::Icon::Stop);
}
