#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"
#include "scan/DiscDiff.h"

class CKavrelDoc;

// Updating a catalogued disc from a new walk of it, headless: the window and the CLI share these steps.
namespace scan {

class DiscWalker;

inline constexpr const char* kNothingDiffersMessage = "Nothing differs: the disc is as it was catalogued.";
inline constexpr const char* kNoSourceMessage =
    "No drive, folder or image is known for this disc: name the one to read.";

// A new walk of a disc and what it would change in the catalogue.
struct UpdatePlan {
    catalogue::Disc disc;  // as it stood when compared
    std::string source;    // what was walked
    EntryStore walked;
    catalogue::DiscRecord record;  // the walk's
    DiscDiff diff;
    // Files in the same place, of the same size and time, whose bytes no longer give the checksum the
    // catalogue has: nothing else tells them apart, so they are listed, and applying takes the new checksum.
    std::vector<DiffPair> contentChanged;
    // The walk's files that could not be read, in walk order, with the system's reason. One of the same
    // size and time as a catalogued file with a checksum keeps that checksum in `walked`: a read that
    // fails today must not lose what was known.
    struct Unreadable {
        std::size_t row;
        std::string reason;
    };
    std::vector<Unreadable> unreadable;
    // Files in the same place, of the same size and time, that get their first checksum or whose read error
    // changed: replacing the disc keeps the new ones.
    std::size_t sumsChanged = 0;

    // True when the walk read the files' bytes, so that contents were compared.
    bool SumsRead() const { return walked.HasSums(); }
    // True when applying the plan would change the catalogue.
    bool Changes() const { return !diff.Empty() || !contentChanged.empty() || sumsChanged > 0; }
    // True when there is something to show: a change, or a file that could not be read.
    bool Tells() const { return Changes() || !unreadable.empty(); }
};

// An entry's folder and name on its disc ("\\DOCS\\A.TXT"): how an update and a verify find and name it.
std::string Where(const EntryStore& store, std::size_t row);

// True when any file of `disc` has a checksum or a read error kept: its update reads them all again, or
// the update would drop them.
bool HasChecksums(const EntryStore& store, const catalogue::Disc& disc);

// What an update of `disc` walks: `named` when given (a relative path made absolute), else the source its
// record keeps; empty when neither.
std::string UpdateSource(const CKavrelDoc& doc, const catalogue::Disc& disc, const std::string& named);

// Why a finished walk of `source` cannot be compared with a disc at all, empty when it can: what could not
// be read (WalkRefusedMessage), that memory ran out (a part of the disc would stand for the whole), or that
// nothing was read at all.
std::string ReadRefusal(const DiscWalker& walker, const std::string& source, const EntryStore& walked);
// Why a finished walk of `source` cannot update a disc, empty when it can: ReadRefusal, or a folder that
// could not be listed (its entries would be dropped).
std::string UpdateRefusal(const DiscWalker& walker, const std::string& source, const EntryStore& walked);

// The walk's entries compared with the disc's: the plan to show before anything changes. Checksums are
// compared only when the walk recorded them; a file now unreadable keeps the checksum it had (Unreadable).
UpdatePlan MakePlan(const CKavrelDoc& doc, const catalogue::Disc& disc, std::string source, EntryStore walked,
                    catalogue::DiscRecord record);

// Walks `source` under the disc's label and compares, without progress or thread (CLI and tests). Nothing
// when the walk cannot update the disc; `refusal` then says why. Checksums are read when `checksums` asks
// for them or the disc has them (HasChecksums).
std::optional<UpdatePlan> PlanUpdate(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                     const std::string& source, std::string& refusal, bool checksums = false);

// The counts of a comparison, "2 added, 0 removed, 1 changed, 1 moved".
std::string DiffCounts(const DiscDiff& diff);
// The counts of a plan: DiffCounts, then ", 1 changed content, 0 unreadable" when the walk read the
// files' bytes, then "; 3 new or changed checksums" when there are any.
std::string PlanCounts(const UpdatePlan& plan);

// One of the lists the update dialog shows: its title with its count ("Added (2)") and a line per entry as
// bytes: the path and name, for a changed entry what differs ("  size 2 -> 20", "  modified ..."), for a
// moved file where it was ("\DOCS\A.TXT -> \A.TXT"), for an unreadable file the reason after two spaces.
// `timeText` writes a time as people read it.
struct DiffList {
    std::string title;
    std::vector<std::string> lines;
};
// Added, Removed, Changed and Moved; then "Changed content" and "Unreadable" when the walk read the bytes.
std::vector<DiffList> DescribeDiff(const EntryStore& store, const UpdatePlan& plan,
                                   const std::function<std::string(std::int64_t)>& timeText);

// Puts the plan's walk in place of the disc (catalogue::ReplaceDisc) when it Changes() anything; the
// document stays unmodified when it does not. Returns the disc as it now stands; no entries when memory ran
// out.
catalogue::Disc ApplyUpdate(CKavrelDoc& doc, const UpdatePlan& plan);

}  // namespace scan
