// Checksums recorded by the walk, from a folder and from an image, against each file's bytes read whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "IsoImage.h"
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

// An update replaces the disc's entries: the checksums it had are read again (the changed file's is its new
// one), --checksums gives a disc its first ones, and a disc without them stays without.
TEST(UpdateDisc, KeepsTheChecksumsADiscHasAndRecordsThemWhenAsked) {
    const struct {
        const char* why;
        bool scannedWithSums, asked, changeF0;
        std::size_t sumsChanged;  // besides F0's, whose size may change with it
        bool sumsAfter;
    } cases[] = {
        {"a disc with sums, F0 changed", true, false, true, 0, true},
        {"a disc with sums, nothing changed", true, false, false, 0, true},
        {"a disc without sums", false, false, true, 0, false},
        {"a disc without sums, --checksums", false, true, false, 24, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const TempFolder files;
        Sums expected = MakeTree(files);
        CKavrelDoc doc;
        ScriptedMessages messages;
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "L", files.Root(), c.scannedWithSums),
                  scan::Outcome::Done);
        if (c.changeF0) {
            // Same size and time, other bytes: only its checksum can tell.
            struct stat before {};
            ASSERT_EQ(stat(files.At("F0").c_str(), &before), 0);
            std::string bytes(static_cast<std::size_t>(before.st_size), '\x5a');
            std::ofstream(files.At("F0"), std::ios::binary | std::ios::trunc) << bytes;
            const timespec times[2] = {before.st_mtim, before.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, files.At("F0").c_str(), times, 0), 0);
            expected["\\F0"] = catalogue::SumText(catalogue::SumOf(bytes));
        }
        doc.SetModifiedFlag(false);
        std::string refusal;
        const auto plan = scan::PlanUpdate(doc, catalogue::DiscNodes(doc.Entries()).front(), files.Root(),
                                           refusal, c.asked);
        ASSERT_TRUE(plan) << refusal;
        EXPECT_TRUE(plan->diff.Empty());
        const std::size_t sumsChanged = c.sumsChanged + (c.changeF0 && c.scannedWithSums ? 1 : 0);
        EXPECT_EQ(plan->sumsChanged, sumsChanged);
        EXPECT_EQ(plan->Changes(), sumsChanged > 0);
        scan::ApplyUpdate(doc, *plan);
        EXPECT_EQ(doc.IsModified(), sumsChanged > 0);
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
}
