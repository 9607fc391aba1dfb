#pragma once

#include <array>
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
};

// What an update of `disc` walks: `named` when given (a relative path made absolute), else the source its
// record keeps; empty when neither.
std::string UpdateSource(const CKavrelDoc& doc, const catalogue::Disc& disc, const std::string& named);

// Why a finished walk of `source` cannot update a disc, empty when it can: what could not be read
// (WalkRefusedMessage), that memory ran out (a part of the disc would replace the whole), or that nothing
// was read at all (the disc would be emptied).
std::string UpdateRefusal(const DiscWalker& walker, const std::string& source, const EntryStore& walked);

// The walk's entries compared with the disc's: the plan to show before anything changes.
UpdatePlan MakePlan(const CKavrelDoc& doc, const catalogue::Disc& disc, std::string source, EntryStore walked,
                    catalogue::DiscRecord record);

// Walks `source` under the disc's label and compares, without progress or thread (CLI and tests). Nothing
// when the walk cannot update the disc; `refusal` then says why.
std::optional<UpdatePlan> PlanUpdate(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                     const std::string& source, std::string& refusal);

// The counts of a comparison, "2 added, 0 removed, 1 changed, 1 moved".
std::string DiffCounts(const DiscDiff& diff);

// One of the four lists the update dialog shows: its title with its count ("Added (2)") and a line per
// entry as bytes: the path and name, for a changed entry what differs ("  size 2 -> 20", "  modified ..."),
// for a moved file where it was ("\DOCS\A.TXT -> \A.TXT"). `timeText` writes a time as people read it.
struct DiffList {
    std::string title;
    std::vector<std::string> lines;
};
std::array<DiffList, 4> DescribeDiff(const EntryStore& store, const UpdatePlan& plan,
                                     const std::function<std::string(std::int64_t)>& timeText);

// Puts the plan's walk in place of the disc (catalogue::ReplaceDisc) when anything differs; the document
// stays unmodified when nothing does. Returns the disc as it now stands; no entries when memory ran out.
catalogue::Disc ApplyUpdate(CKavrelDoc& doc, const UpdatePlan& plan);

}  // namespace scan
