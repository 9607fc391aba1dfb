#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"

class CKavrelDoc;

// Verifying a catalogued disc against the disc as it reads now, headless: the window and the CLI share it.
namespace scan {

// What became of one file. Folders are not verified: a folder's files say what changed in it.
enum class Finding {
    Same,            // found, same size, and the same bytes when they were compared
    ChangedContent,  // same size, other bytes
    ChangedSize,
    ChangedDate,  // same size, another time, when the contents were not compared
    Missing,      // catalogued, not on the disc now
    Unreadable,   // on the disc, but its bytes could not be read
    New,          // on the disc, not catalogued
};
// The word the listings use: "same", "changed content", ...
const char* FindingText(Finding finding);

struct VerifyItem {
    Finding finding = Finding::Same;
    std::size_t row = 0;  // the catalogue's row; for a new file, the row in `walked`
    std::string reason;   // the system's, for an unreadable file
};

struct VerifyReport {
    std::vector<VerifyItem> items;  // catalogue order, then the new files in disc order
    EntryStore walked;
    // True when the disc has checksums and the files were read to compare them; false when only names,
    // sizes and dates were compared.
    bool contentsCompared = false;
    // True when the verify was cancelled: `items` holds only the files whose reading had finished, and no
    // missing or new ones.
    bool cancelled = false;

    // The count of each Finding, by its value.
    std::vector<std::size_t> Counts() const;
    // True when some file is anything but the same.
    bool Differs() const;
    // "12 same, 1 changed content, 0 changed size, 0 changed date, 1 missing, 0 unreadable, 2 new", then
    // "; contents were not compared (the disc has no checksums)" or "; cancelled" as they apply.
    std::string Summary() const;
};

// Reads `source` again (the disc's files' bytes too when it has checksums) and compares it with `disc`.
// Nothing when the source cannot be read; `refusal` then says why. The catalogue is never changed.
std::optional<VerifyReport> VerifyDisc(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                       const std::string& source, std::string& refusal,
                                       const std::atomic<bool>* cancel = nullptr);

}  // namespace scan
