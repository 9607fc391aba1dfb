#include "tree/DiscProperties.h"

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscTotals.h"
#include "catalogue/FormatSize.h"
#include "res/Texts.h"

namespace discprops {

namespace {

const QString kUnknown = QStringLiteral("unknown");

QString Bytes(std::int64_t bytes) {
    if (bytes < 0) return kUnknown;
    return QString::fromStdString(catalogue::FormatSize(static_cast<std::uint64_t>(bytes))) +
           QStringLiteral(" bytes");
}

// The bytes for a text typed into the dialog: the old ones when it was left as shown.
std::string Typed(const QString& typed, const std::string& old) {
    return typed == ToQString(old) ? old : FromQString(typed);
}

}  // namespace

DiscDetails DetailsOf(const CKavrelDoc& doc, const catalogue::Disc& disc) {
    const EntryStore& entries = doc.Entries();
    const catalogue::DiscRecord* found = doc.RecordOf(disc);
    const catalogue::DiscRecord record = found ? *found : catalogue::DiscRecord{};
    const catalogue::DiscTotals totals = catalogue::TotalsOf(entries, disc);
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(QString::fromStdString(catalogue::FormatSize(n)),
                                           QLatin1String(n == 1 ? one : many));
    };

    DiscDetails details;
    details.label = disc.entries > 0 ? ToQString(entries.Text(disc.label)) : QString();
    const QString catalogued = DateTimeText(record.catalogued);
    details.lines = {
        {QStringLiteral("Catalogued"), catalogued.isEmpty() ? kUnknown : catalogued},
        {QStringLiteral("Source"), ToQString(record.source)},
        {QStringLiteral("Device"), ToQString(record.device)},
        {QStringLiteral("Volume label"), ToQString(record.volumeLabel)},
        {QStringLiteral("File system"), ToQString(record.fileSystem)},
        {QStringLiteral("Serial number"), ToQString(record.serial)},
        {QStringLiteral("Capacity"), Bytes(record.capacity)},
        {QStringLiteral("Free space"), Bytes(record.freeBytes)},
        {QStringLiteral("Entries"), count(disc.entries, "entry", "entries") + QStringLiteral(" (") +
                                        count(totals.files, "file", "files") + QStringLiteral(", ") +
                                        count(totals.folders, "folder", "folders") + QStringLiteral(")")},
    };
    details.location = ToQString(record.location);
    details.notes = ToQString(record.notes);
    return details;
}

bool StoreUserTexts(CKavrelDoc& doc, const catalogue::Disc& disc, const QString& location,
                    const QString& notes) {
    // A record is kept under the disc's first row: a disc without entries has none to keep it under.
    if (disc.entries == 0) return false;
    const catalogue::DiscRecord* found = doc.RecordOf(disc);
    catalogue::DiscRecord record = found ? *found : catalogue::DiscRecord{};
    const catalogue::DiscRecord before = record;
    record.location = Typed(location, record.location);
    record.notes = Typed(notes, record.notes);
    if (record == before) return false;
    doc.EditDiscRecords().Set(disc.first, std::move(record));
    doc.SetModifiedFlag(true);
    return true;
}

}  // namespace discprops
