#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"
#include "scan/DiscWalker.h"

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
    // True when the verify was cancelled: `items` holds only the files whose reading had finished, and the
    // missing and new ones only when the disc had been listed whole.
    bool cancelled = false;

    // The count of each Finding, by its value.
    std::vector<std::size_t> Counts() const;
    // True when some file is anything but the same.
    bool Differs() const;
    // "12 same, 1 changed content, 0 changed size, 0 changed date, 1 missing, 0 unreadable, 2 new", then
    // "; contents were not compared (the disc has no checksums)" or "; cancelled" as they apply.
    std::string Summary() const;
};

// One file that is not the same, as the window lists it: the finding's word, the file's folder and name as
// the catalogue has it (as the disc has it, for a new one) and the system's reason when it was unreadable.
struct VerifyLine {
    std::string finding;
    std::string file;
    std::string reason;
};
// The report's files that are not the same, in its order; `store` is the catalogue it was made against.
std::vector<VerifyLine> DifferingLines(const EntryStore& store, const VerifyReport& report);
// What is said when no file differs: plainly so, the files checked when it was cancelled, then Summary().
std::string NothingDiffersText(const VerifyReport& report);

// Reads `source` again (the disc's files' bytes too when it has checksums) and compares it with `disc`.
// Nothing when the source cannot be read at all (ReadRefusal); `refusal` then says why. The files of a
// folder that could not be listed are unreadable, with that as their reason. The catalogue is never changed,
// so the window may run this on a worker thread while the document only paints. `watch` is told of the walk
// and of the bytes read, on the threads DiscWalker tells them on, and may cancel it.
std::optional<VerifyReport> VerifyDisc(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                       const std::string& source, std::string& refusal,
                                       const WalkWatch& watch = {});

}  // namespace scan
