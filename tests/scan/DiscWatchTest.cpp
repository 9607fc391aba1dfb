#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "FakeDrives.h"
#include "IsoImage.h"
#include "StoreRows.h"
#include "TempFolder.h"
#include "WalkHold.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "platform/VolumeDetails.h"
#include "scan/DiscDetails.h"
#include "scan/DiscWatch.h"

namespace {

using platform::DriveMedium;
using Change = scan::DriveTracker::Change;
using Outcome = scan::HandledDisc::Outcome;

DriveMedium Empty(const std::string& root) {
    return {root, {}, {}, {}, {}, false};
}

TEST(DriveTracker, TellsEachDiscOnceAndEachDriveThatWentEmpty) {
    const DriveMedium a = Holding("E:\\", "/a", "1");
    const DriveMedium b = Holding("E:\\", "/b", "2");
    DriveMedium locked = Empty("E:\\");
    locked.problem = "Permission denied";
    const struct {
        const char* what;
        std::vector<DriveMedium> look;
        std::vector<Change> told;
    } looks[] = {
        {"a disc in the drive at the start", {a}, {Change::Arrived}},
        {"the same disc looked at again", {a}, {}},
        {"another disc in its place, unseen leaving", {b}, {Change::Arrived}},
        {"taken out", {Empty("E:\\")}, {Change::Emptied}},
        {"still empty", {Empty("E:\\")}, {}},
        {"the first disc put back", {a}, {Change::Arrived}},
        {"a drive that cannot be looked at", {locked}, {Change::Unreadable}},
        {"still so", {locked}, {}},
        {"a second drive beside it", {a, Holding("F:\\", "/f", "1")}, {Change::Arrived, Change::Arrived}},
    };
    scan::DriveTracker tracker;
    for (const auto& step : looks) {
        std::vector<Change> told;
        for (const auto& event : tracker.Look(step.look)) told.push_back(event.change);
        EXPECT_EQ(told, step.told) << step.what;
    }
}

TEST(DriveTracker, ADriveBusyWithADiscToldOfItsChangeOnceFree) {
    scan::DriveTracker tracker;
    const auto busy = [](const std::string&) { return true; };
    ASSERT_EQ(tracker.Look({Holding("E:\\", "/a", "1")}).size(), 1u);
    EXPECT_TRUE(tracker.Look({Holding("E:\\", "/b", "2")}, busy).empty());
    const auto later = tracker.Look({Holding("E:\\", "/b", "2")});
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].medium.source, "/b");
}

// Steps the watch until `count` discs are handled (each finished as a caller does), for at most 20 s.
std::vector<scan::HandledDisc> Handle(scan::DiscWatch& watch, CKavrelDoc& doc, std::size_t count = 1) {
    std::vector<scan::HandledDisc> handled;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (handled.size() < count && std::chrono::steady_clock::now() < until) {
        for (scan::HandledDisc& disc : watch.Step(doc)) {
            watch.Finish(disc);
            handled.push_back(disc);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(handled.size(), count);
    return handled;
}

class DiscWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_disc.File("DOCS/A.TXT", 1);
        m_disc.File("B.TXT", 2);
        m_files.Folder("blank");
        m_files.File("notes.txt", 3);
    }
    // An ISO image of `folder` with the volume label `volume`, put in place in one rename as a mapped drive
    // would see it appear.
    std::string Image(const TempFolder& folder, const std::string& name, const std::string& volume) {
        const std::string image = m_files.At(name);
        EXPECT_TRUE(iso::Write(folder.Root(), image + ".part", iso::Names::RockRidge, volume));
        std::filesystem::rename(image + ".part", image);
        return image;
    }

    TempFolder m_disc, m_files;
    FakeDrives m_drives;
    CKavrelDoc m_doc;
};

TEST_F(DiscWatchTest, ADiscThatArrivesIsAddedUnderItsLabelAndKeptAsReadFromItsDrive) {
    const struct {
        const char* device;
        std::string source;  // as the catalogue keeps it
    } drives[] = {{"", m_disc.Root()}, {"/dev/sr9", "E:\\"}};
    for (const auto& drive : drives) {
        CKavrelDoc doc;
        FakeDrives fake;
        fake.media = {Holding("E:\\", m_disc.Root(), "1")};
        fake.media[0].device = drive.device;
        scan::DiscWatch watch(fake, {});
        const auto handled = Handle(watch, doc);
        ASSERT_EQ(handled.size(), 1u);
        const std::string label = std::filesystem::path(m_disc.Root()).filename().string();
        EXPECT_EQ(scan::LogLine(handled[0]), "E:\\: \"" + label + "\" 3 entries added");
        EXPECT_TRUE(handled[0].changed);
        EXPECT_EQ(DiscLabels(doc.Entries()), std::vector<std::string>{label});
        EXPECT_EQ(doc.RecordOf(catalogue::DiscNodes(doc.Entries())[0])->source, drive.source);
        EXPECT_EQ(scan::StatusText(watch.Drives()[0]), "done (3 entries)");
        // The disc stays handled while it stays in the drive; once stopped, the watch takes no other.
        EXPECT_TRUE(watch.Step(doc).empty());
        EXPECT_TRUE(fake.ejected.empty());
        watch.StopLooking();
        fake.Set({Holding("E:\\", m_disc.Root(), "2")});
        EXPECT_TRUE(watch.Step(doc).empty());
        EXPECT_FALSE(watch.Busy());
    }
}

TEST_F(DiscWatchTest, AKnownDiscIsSkippedOrUpdatedAndTheTrayOpensWhenAsked) {
    const std::string first = Image(m_disc, "first.iso", "HOLIDAY");
    m_drives.media = {Holding("E:\\", first, "1")};
    {
        scan::DiscWatch watch(m_drives, {false, false, true, {}});
        ASSERT_EQ(Handle(watch, m_doc)[0].outcome, Outcome::Added);
    }
    m_doc.EditDiscRecords().Set(0, [&] {
        catalogue::DiscRecord record = *m_doc.DiscRecords().Find(0);
        record.location = "Box 12";
        return record;
    }());
    // The same disc again; then with a file more but the same serial (an image's dates are its UUID); then
    // another disc with that serial but another label.
    m_disc.File("NEW.TXT", 4);
    const std::string changed = Image(m_disc, "changed.iso", "HOLIDAY");
    const std::string other = Image(m_disc, "other.iso", "OTHER");
    for (const std::string& image : {changed, other}) iso::SetVolumeDates(image, iso::VolumeDates(first));
    const struct {
        bool update;
        std::string source;
        std::string line;
        std::string status;
    } arrivals[] = {
        {false, first,
         "E:\\: \"HOLIDAY\" already catalogued as \"HOLIDAY\", kept in Box 12: skipped, ejected",
         "skipped (known, ejected)"},
        {true, changed,
         "E:\\: \"HOLIDAY\" already catalogued as \"HOLIDAY\", kept in Box 12: updated: 1 added, 0 removed, "
         "0 "
         "changed, 0 moved, not ejected: busy",
         "updated (1 added, 0 removed, 0 changed, 0 moved, not ejected: busy)"},
        {false, other, "E:\\: \"OTHER\" 4 entries added, not ejected: busy",
         "done (4 entries, not ejected: busy)"},
    };
    for (const auto& arrival : arrivals) {
        m_drives.media = {Holding("E:\\", arrival.source, arrival.source)};
        scan::DiscWatch watch(m_drives, {false, arrival.update, true, {}});
        const auto handled = Handle(watch, m_doc);
        ASSERT_EQ(handled.size(), 1u);
        EXPECT_EQ(scan::LogLine(handled[0]), arrival.line);
        EXPECT_EQ(scan::StatusText(watch.Drives()[0]), arrival.status);
        m_drives.ejectAnswer = "busy";
    }
    EXPECT_EQ(DiscLabels(m_doc.Entries()), (std::vector<std::string>{"HOLIDAY", "OTHER"}));
    EXPECT_EQ(catalogue::DiscNodes(m_doc.Entries())[0].entries, 4u);
    EXPECT_EQ(m_doc.DiscRecords().Find(0)->location, "Box 12");
    EXPECT_EQ(m_drives.ejected.size(), 4u);
}

// Without a serial, a label alone would take every disc called "CDROM" for one another.
TEST_F(DiscWatchTest, DiscsWithoutASerialAreNeverTakenForOneAnother) {
    TempFolder second;
    second.File("C.TXT", 1);
    for (const auto& [folder, name] : {std::pair{&m_disc, "one.iso"}, std::pair{&second, "two.iso"}}) {
        const std::string image = Image(*folder, name, "CDROM");
        iso::SetVolumeDates(image,
                            std::string("0000000000000000\0", 17) + std::string("0000000000000000\0", 17));
        ASSERT_EQ(scan::ReadDiscRecord(image).serial, "");
        m_drives.media = {Holding("E:\\", image, name)};
        scan::DiscWatch watch(m_drives, {});
        EXPECT_EQ(Handle(watch, m_doc)[0].outcome, Outcome::Added);
    }
    EXPECT_EQ(DiscLabels(m_doc.Entries()), (std::vector<std::string>{"CDROM", "CDROM (2)"}));
}

TEST_F(DiscWatchTest, WhatCannotBeReadAddsNothingAndSaysWhy) {
    DriveMedium locked = Empty("E:\\");
    locked.problem = "Permission denied";
    const struct {
        DriveMedium medium;
        std::string line;
        std::string status;
    } refusals[] = {
        {Holding("E:\\", m_files.At("blank"), "1"),
         "E:\\: \"blank\" refused: Nothing was read from " + m_files.At("blank"),
         "refused (Nothing was read from " + m_files.At("blank") + ", ejected)"},
        {Holding("E:\\", m_files.At("notes.txt"), "1"), "E:\\: \"notes\" refused: Cannot read the disc image",
         "refused (Cannot read the disc image"},
        {Holding("E:\\", m_files.At("gone.iso"), "1"),
         "E:\\: \"gone\" refused: Cannot read \"" + m_files.At("gone.iso"), "refused (Cannot read"},
        {locked, "E:\\: refused: Permission denied", "refused (Permission denied)"},
    };
    for (const auto& refusal : refusals) {
        m_drives.media = {refusal.medium};
        scan::DiscWatch watch(m_drives, {false, false, true, {}});
        const auto handled = Handle(watch, m_doc);
        ASSERT_EQ(handled.size(), 1u);
        EXPECT_FALSE(handled[0].changed);
        EXPECT_EQ(scan::LogLine(handled[0]).rfind(refusal.line, 0), 0u) << scan::LogLine(handled[0]);
        EXPECT_EQ(scan::StatusText(watch.Drives()[0]).rfind(refusal.status, 0), 0u);
    }
    EXPECT_EQ(m_doc.GetEntryCount(), 0u);
    // Only discs that were there get their trays opened.
    EXPECT_EQ(m_drives.ejected.size(), 3u);
}

// While a walk is held: the disc is changed for another, cancelled, or given another label.
TEST_F(DiscWatchTest, WhatHappensWhileADiscIsReadDecidesWhatIsAdded) {
    const std::string other = Image(m_disc, "other.iso", "OTHER");
    const DriveMedium same = Holding("E:\\", m_disc.Root(), "1");
    const std::string takenOut =
        "E:\\: \"NAME\" refused: the disc was taken out before it was read to its end";
    const struct {
        const char* what;
        std::function<void(scan::DiscWatch&)> act;
        std::vector<std::string> lines;
        bool lookWhileHeld = true;  // false: the walk ends before the watch looks at the drive again
    } cases[] = {
        {"taken out just as its walk ends",
         [&](scan::DiscWatch&) { m_drives.Set({Empty("E:\\")}); },
         {takenOut},
         false},
        {"taken out and put back",
         [&](scan::DiscWatch& watch) {
             m_drives.Set({Empty("E:\\")});
             EXPECT_TRUE(watch.Step(m_doc).empty());
             m_drives.Set({same});
         },
         {takenOut, "E:\\: \"NAME\" 3 entries added"}},
        {"another disc put in",
         [&](scan::DiscWatch&) { m_drives.Set({Holding("E:\\", other, "2")}); },
         {"E:\\: \"NAME\" refused: the disc was taken out before it was read to its end",
          "E:\\: \"OTHER\" 3 entries added"}},
        {"cancelled", [](scan::DiscWatch& watch) { watch.Cancel("E:\\"); }, {"E:\\: \"NAME\" cancelled"}},
        {"labelled anew",
         [](scan::DiscWatch& watch) { EXPECT_EQ(watch.SetLabel("E:\\", "Mine"), ""); },
         {"E:\\: \"Mine\" 3 entries added"}},
        {"given a label a disc has",
         [](scan::DiscWatch& watch) {
             EXPECT_NE(watch.SetLabel("E:\\", " blank"), "");
             EXPECT_EQ(watch.SetLabel("E:\\", "TAKEN"), "");
         },
         {"E:\\: \"TAKEN (2)\" 3 entries added"}},
    };
    for (const auto& c : cases) {
        CKavrelDoc doc;
        doc.AppendEntry("TAKEN", "X", "file ", "\\", "1");
        m_drives.Set({Holding("E:\\", m_disc.Root(), "1")});
        scan::DiscWatch watch(m_drives, {});
        WalkHold hold;
        watch.SetWalkListener(hold.Listener());
        for (int wait = 0; !hold.Reached() && wait < 5000; ++wait) {
            EXPECT_TRUE(watch.Step(doc).empty());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_TRUE(hold.Reached()) << c.what;
        const std::string name = std::filesystem::path(m_disc.Root()).filename().string();
        EXPECT_EQ(scan::StatusText(watch.Drives()[0]), "reading \"" + name + "\" (0 entries)") << c.what;
        c.act(watch);
        if (c.lookWhileHeld) {
            EXPECT_TRUE(watch.Step(doc).empty());
        }
        hold.Open();
        // Three entries are walked in far less than this once let go.
        if (!c.lookWhileHeld) std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::vector<std::string> lines;
        for (const auto& disc : Handle(watch, doc, c.lines.size())) lines.push_back(scan::LogLine(disc));
        for (std::string& line : lines)
            if (const auto at = line.find(name); at != std::string::npos)
                line.replace(at, name.size(), "NAME");
        EXPECT_EQ(lines, c.lines) << c.what;
        EXPECT_EQ(doc.GetEntryCount(), 1 + (c.lines.back().find("added") != std::string::npos ? 3u : 0u));
    }
}

TEST_F(DiscWatchTest, AnUpdateThatRecordsOnlyChecksumsIsSavedAsAChange) {
    m_drives.media = {Holding("E:\\", Image(m_disc, "first.iso", "HOLIDAY"), "1")};
    {
        scan::DiscWatch watch(m_drives, {});
        Handle(watch, m_doc);
    }
    scan::DiscWatch watch(m_drives, {true, true, false, {}});
    const auto handled = Handle(watch, m_doc);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_TRUE(handled[0].changed);
    EXPECT_NE(scan::LogLine(handled[0]).find("; 2 new or changed checksums"), std::string::npos);
}

// A folder inside a file system shares that file system's serial and label with every other folder on it.
TEST_F(DiscWatchTest, OnlyADiscOfItsOwnCanBeTakenForACataloguedOne) {
    const std::string image = Image(m_disc, "disc.iso", "X");
    EXPECT_TRUE(platform::NamesWholeVolume("/"));
    EXPECT_FALSE(platform::NamesWholeVolume(m_files.At("gone")));
    // A disc catalogued with the serial and label that a folder's file system carries.
    m_doc.AppendEntry("HOST", "A.TXT", "file ", "\\", "1");
    catalogue::DiscRecord host;
    host.serial = "host-fs";
    host.volumeLabel = "X";
    m_doc.EditDiscRecords().Set(0, host);
    for (const auto& [source, known] : {std::pair{image, true}, std::pair{m_disc.Root(), false}}) {
        EXPECT_EQ(platform::NamesWholeVolume(source), known) << source;
        const scan::Arrival arrival = scan::PrepareArrival(m_doc, Holding("E:\\", source, "1"), host, {});
        EXPECT_EQ(arrival.known.has_value(), known) << source;
    }
}

TEST_F(DiscWatchTest, TwoDrivesWithDiscsOfOneLabelAreReadAtOnceUnderTwoLabels) {
    TempFolder second;
    second.File("C.TXT", 1);
    m_drives.media = {Holding("E:\\", Image(m_disc, "e.iso", "CDROM"), "1"),
                      Holding("F:\\", Image(second, "f.iso", "CDROM"), "1")};
    scan::DiscWatch watch(m_drives, {});
    std::atomic<int> bothWalking = 0;
    watch.SetWalkListener([&](std::string_view root, std::size_t) {
        // E waits until F has been seen walking, so the two walks overlap.
        if (root == "F:\\") bothWalking = 1;
        while (root == "E:\\" && bothWalking == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    Handle(watch, m_doc, 2);
    std::vector<std::string> labels = DiscLabels(m_doc.Entries());
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(labels, (std::vector<std::string>{"CDROM", "CDROM (2)"}));
}

}  // namespace
