// Checksums recorded by the walk, from a folder and from an image, against each file's bytes read whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>

#include "IsoImage.h"
#include "ReadAsNobody.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "catalogue/CCDContent.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/FileSum.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWalker.h"
#include "scan/UpdateDisc.h"
#include "scan/VerifyDisc.h"

namespace {

using Sums = std::map<std::string, std::string>;  // "\D1\F3" (the entry's path and name) to its hex digits

// Generated files of sizes around the read sizes (0, a few bytes, past a megabyte) in a few folders, from a
// fixed seed; the sums of their bytes read whole, with no reading in pieces.
Sums MakeTree(const TempFolder& tree) {
    std::mt19937 random(23);
    Sums sums;
    for (int f = 0; f < 24; ++f) {
        const std::string folder = f % 3 ? "D" + std::to_string(f % 4) + "/" : "";
        const std::size_t sizes[] = {0, 1, 4095, (std::size_t{1} << 20) + 7, 3 * 65536, 100000};
        std::string bytes(sizes[random() % std::size(sizes)], '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        tree.Folder(folder.empty() ? "." : folder);
        std::ofstream(tree.At(folder + "F" + std::to_string(f)), std::ios::binary) << bytes;
        std::string shown = "\\" + folder + "F" + std::to_string(f);
        for (char& c : shown) c = c == '/' ? '\\' : c;
        sums[shown] = catalogue::SumText(catalogue::SumOf(bytes));
    }
    return sums;
}

Sums Walked(const std::string& source, bool& cancelledOk, const std::atomic<bool>* cancel = nullptr) {
    scan::DiscWalker walker("L");
    walker.SetChecksums(true);
    walker.SetCancelFlag(cancel);
    EntryStore out;
    cancelledOk = walker.Walk(source, out);
    Sums sums;
    for (std::size_t i = 0; i < out.Size(); ++i)
        if (out.Kind(i) == kKindFile)
            sums[std::string(out.Path(i)) + std::string(out.Name(i))] = catalogue::SumText(out.Sum(i));
    return sums;
}

}  // namespace

TEST(WalkSums, FolderAndImageGiveEveryFileTheChecksumOfItsBytes) {
    const TempFolder tree;
    tree.Folder("src");
    const TempFolder files;
    const Sums expected = MakeTree(files);
    const std::string image = tree.At("disc.iso");
    ASSERT_TRUE(iso::Write(files.Root(), image, iso::Names::RockRidge));
    for (const std::string& source : {files.Root(), image}) {
        bool walked = false;
        EXPECT_EQ(Walked(source, walked), expected) << source;
        EXPECT_TRUE(walked);
    }
}

TEST(WalkSums, AreRecordedOnlyWhenAskedForAndACancelStopsTheReading) {
    const TempFolder files;
    MakeTree(files);
    scan::DiscWalker walker("L");
    EntryStore out;
    ASSERT_TRUE(walker.Walk(files.Root(), out));
    EXPECT_FALSE(out.HasSums());

    const std::atomic<bool> cancel{true};
    bool walked = true;
    Walked(files.Root(), walked, &cancel);
    EXPECT_FALSE(walked);
}

// The second lane may read a large file after the lead has none left; its bytes are told as they come, not
// only at the end. Which lane takes the large file is up to the machine, so the walk is run many times.
TEST(WalkSums, BytesAreToldEveryFewMegabytesWhicheverLaneReadsThem) {
    const TempFolder files;
    files.File("A", 3'000'000);
    files.File("B.BIN", 9'000'000);
    for (int run = 0; run < 30; ++run) {
        std::vector<std::uint64_t> told{0};
        std::uint64_t all = 0;
        scan::DiscWalker walker("L");
        walker.SetChecksums(true);
        walker.SetByteProgress([&](std::uint64_t read, std::uint64_t total) {
            told.push_back(read);
            all = total;
        });
        EntryStore out;
        ASSERT_TRUE(walker.Walk(files.Root(), out));
        ASSERT_EQ(told.back(), all);
        ASSERT_EQ(all, 12'000'000u);
        ASSERT_LE(told.size(), 4u) << "told more often than every few megabytes";
        for (std::size_t i = 1; i < told.size(); ++i) {
            ASSERT_GE(told[i], told[i - 1]) << "run " << run;
            ASSERT_LT(told[i] - told[i - 1], 5'000'000u) << "run " << run << ", told " << i;
        }
    }
}

TEST(VerifyDisc, ACancelledVerifyReportsOnlyWhatItCheckedAndChangesNothing) {
    const TempFolder files;
    MakeTree(files);
    CKavrelDoc doc;
    ScriptedMessages messages;
    ASSERT_EQ(scan::RunCreateImage(doc, messages, "L", files.Root(), true), scan::Outcome::Done);
    doc.SetModifiedFlag(false);
    const catalogue::Disc disc = catalogue::DiscNodes(doc.Entries()).front();
    std::string refusal;
    const std::atomic<bool> cancel{true};
    scan::WalkWatch watch;
    watch.cancel = &cancel;
    const auto cancelled = scan::VerifyDisc(doc, disc, files.Root(), refusal, watch);
    ASSERT_TRUE(cancelled) << refusal;
    EXPECT_TRUE(cancelled->cancelled);
    EXPECT_TRUE(cancelled->items.empty());
    EXPECT_NE(cancelled->Summary().find("cancelled"), std::string::npos);
    const auto whole = scan::VerifyDisc(doc, disc, files.Root(), refusal);
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->Differs());
    EXPECT_EQ(whole->Counts()[0], 24u);
    EXPECT_FALSE(doc.IsModified());
}

// What a verify knows it says: a folder that cannot be listed makes its files unreadable, not the whole
// disc refused; a verify cancelled while the bytes are read still names the files missing and new.
TEST(VerifyDisc, SaysWhatItKnowsOfAFolderItCannotListAndOfACancelledReading) {
    const struct {
        const char* why;
        bool lockD1, cancelInReading;
        std::size_t missing, unreadable, fresh;
        const char* reason;  // of the unreadable files
    } cases[] = {
        {"a folder that cannot be listed", true, false, 1, 4, 1, "the folder \\D1\\ could not be read"},
        {"cancelled while bytes are read", false, true, 1, 0, 1, ""},
    };
    bool skipped = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TempFolder files;
        MakeTree(files);
        // Large enough to be read in many pieces, so that the cancel comes before its end.
        files.File("BIG.BIN", 9'000'000);
        CKavrelDoc doc;
        ScriptedMessages messages;
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "L", files.Root(), true), scan::Outcome::Done);
        std::filesystem::remove(files.At("F0"));
        files.File("NEW.BIN", 3);
        if (c.lockD1) files.Lock("D1");
        std::atomic<bool> cancel{false};
        scan::WalkWatch watch;
        watch.cancel = &cancel;
        if (c.cancelInReading) watch.bytes = [&cancel](std::uint64_t, std::uint64_t) { cancel = true; };
        std::string refusal;
        std::optional<scan::VerifyReport> report;
        {
            const ReadAsNobody nobody(files.Root(), {c.lockD1 ? files.At("D1") : ""});
            skipped = skipped || !nobody.Ready();
            if (!nobody.Ready()) continue;
            report = scan::VerifyDisc(doc, catalogue::DiscNodes(doc.Entries()).front(), files.Root(), refusal,
                                      watch);
        }
        ASSERT_TRUE(report) << refusal;
        EXPECT_EQ(report->cancelled, c.cancelInReading);
        const std::vector<std::size_t> counts = report->Counts();
        EXPECT_EQ(counts[static_cast<std::size_t>(scan::Finding::Missing)], c.missing);
        EXPECT_EQ(counts[static_cast<std::size_t>(scan::Finding::Unreadable)], c.unreadable);
        EXPECT_EQ(counts[static_cast<std::size_t>(scan::Finding::New)], c.fresh);
        for (const scan::VerifyItem& item : report->items) {
            if (item.finding == scan::Finding::Unreadable) {
                EXPECT_EQ(item.reason, c.reason);
            }
        }
    }
    if (skipped) GTEST_SKIP() << "files cannot be read as nobody here: the locked rows were not run";
}

// An update replaces the disc's entries: the checksums it had are read again, --checksums gives a disc its
// first ones, and a disc without them stays without. A file rewritten in place (same size and time) is
// listed as changed content and takes its new checksum; one that can no longer be read is listed and keeps
// the checksum it had.
TEST(UpdateDisc, KeepsTheChecksumsADiscHasAndRecordsThemWhenAsked) {
    enum class F0 { Kept, Rewritten, Locked };
    const struct {
        const char* why;
        bool scannedWithSums, asked;
        F0 f0;
        const char* counts;     // after "0 added, 0 removed, 0 changed, 0 moved"
        const char* described;  // the dialog's lists of contents and unreadable files
        bool changes, sumsAfter;
    } cases[] = {
        {"with sums, F0 rewritten", true, false, F0::Rewritten, ", 1 changed content, 0 unreadable",
         "Changed content (1): \\F0 | Unreadable (0):", true, true},
        {"with sums, F0 locked", true, false, F0::Locked, ", 0 changed content, 1 unreadable",
         "Changed content (0): | Unreadable (1): \\F0  Permission denied", false, true},
        {"with sums, nothing changed", true, false, F0::Kept, ", 0 changed content, 0 unreadable",
         "Changed content (0): | Unreadable (0):", false, true},
        {"without sums", false, false, F0::Rewritten, "", "", false, false},
        {"without sums, --checksums", false, true, F0::Kept,
         ", 0 changed content, 0 unreadable; 24 new or changed checksums",
         "Changed content (0): | Unreadable (0):", true, true},
        {"without sums, --checksums, F0 locked", false, true, F0::Locked,
         ", 0 changed content, 1 unreadable; 24 new or changed checksums",
         "Changed content (0): | Unreadable (1): \\F0  Permission denied", true, true},
    };
    bool skipped = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const TempFolder files;
        Sums expected = MakeTree(files);
        CKavrelDoc doc;
        ScriptedMessages messages;
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "L", files.Root(), c.scannedWithSums),
                  scan::Outcome::Done);
        if (c.f0 == F0::Rewritten) {
            struct stat before {};
            ASSERT_EQ(stat(files.At("F0").c_str(), &before), 0);
            std::string bytes(static_cast<std::size_t>(before.st_size), '\x5a');
            std::ofstream(files.At("F0"), std::ios::binary | std::ios::trunc) << bytes;
            const timespec times[2] = {before.st_mtim, before.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, files.At("F0").c_str(), times, 0), 0);
            if (c.scannedWithSums) expected["\\F0"] = catalogue::SumText(catalogue::SumOf(bytes));
        }
        // A catalogued checksum is kept; a first reading records no checksum.
        if (c.f0 == F0::Locked && !c.scannedWithSums) expected["\\F0"] = "";
        if (c.f0 == F0::Locked) chmod(files.At("F0").c_str(), 0);
        doc.SetModifiedFlag(false);
        std::string refusal;
        std::optional<scan::UpdatePlan> plan;
        {
            const ReadAsNobody nobody(files.Root(), {c.f0 == F0::Locked ? files.At("F0") : ""});
            skipped = skipped || !nobody.Ready();
            if (!nobody.Ready()) continue;
            plan = scan::PlanUpdate(doc, catalogue::DiscNodes(doc.Entries()).front(), files.Root(), refusal,
                                    c.asked);
        }
        ASSERT_TRUE(plan) << refusal;
        EXPECT_TRUE(plan->diff.Empty());
        EXPECT_EQ(scan::PlanCounts(*plan), std::string("0 added, 0 removed, 0 changed, 0 moved") + c.counts);
        std::string described;
        for (const scan::DiffList& list : scan::DescribeDiff(doc.Entries(), *plan, {}))
            if (list.title.starts_with("Changed content") || list.title.starts_with("Unreadable")) {
                described += (described.empty() ? "" : " | ") + list.title + ":";
                for (const std::string& line : list.lines) described += " " + line;
            }
        EXPECT_EQ(described, c.described);
        EXPECT_EQ(plan->Changes(), c.changes);
        scan::ApplyUpdate(doc, *plan);
        EXPECT_EQ(doc.IsModified(), c.changes);
        Sums after;
        for (std::size_t i = 0; i < doc.GetEntryCount(); ++i)
            if (doc.Entries().Kind(i) == kKindFile)
                after[std::string(doc.Entries().Path(i)) + std::string(doc.Entries().Name(i))] =
                    catalogue::SumText(doc.Entries().Sum(i));
        if (c.sumsAfter)
            EXPECT_EQ(after, expected);
        else
            EXPECT_FALSE(doc.Entries().HasSums());
    }
    if (skipped) GTEST_SKIP() << "files cannot be read as nobody here: the locked rows were not run";
}
