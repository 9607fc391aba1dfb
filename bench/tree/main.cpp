// Speed of building the catalogue tree on the offscreen platform, as ratios to references measured in
// the same run, so the numbers mean the same on a slow shared machine and a fast one.
//
// A catalogue of 10,000 discs of 20 entries each (200,000 entries) is built into the tree by the initial
// update, then laid out and painted once. References: finding the disc runs alone (the catalogue pass),
// and creating 10,000 detached QTreeWidgetItems with their texts (the least any item tree must do).
// Target: about 100 ms for the build.
//
// Then the tooltip of a disc node, counted when the pointer rests on it: the middle disc of a catalogue of
// five discs of 200,000 entries each. Reference: finding the disc runs of that catalogue. Target: well below
// the half second or so before a tooltip shows.

#include <QApplication>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "Stopwatch.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "tree/CKavrelView.h"

namespace {

constexpr int kDiscs = 10000;
constexpr int kEntriesPerDisc = 20;
constexpr int kRounds = 5;

void FillCatalogue(CKavrelDoc& doc) {
    for (int disc = 0; disc < kDiscs; ++disc) {
        const std::string label = "DISC " + std::to_string(100000 + disc);
        for (int i = 0; i < kEntriesPerDisc; ++i)
            doc.AppendEntry(label, "FILE" + std::to_string(i) + ".DAT", "file ", "\\", "1,024");
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CKavrelDoc doc;
    FillCatalogue(doc);
    CKavrelView view(&doc, nullptr);
    view.resize(200, 600);
    view.show();

    std::vector<double> build, runs, items;
    std::size_t nodes = 0;
    for (int round = 0; round < kRounds; ++round) {
        Stopwatch watch;
        view.OnInitialUpdate();
        view.grab();  // lay out and paint once, as the screen would
        build.push_back(watch.Ms());
        nodes = static_cast<std::size_t>(view.m_hImageRoot->childCount());

        watch.Restart();
        const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(doc.Entries());
        runs.push_back(watch.Ms());

        watch.Restart();
        std::vector<QTreeWidgetItem*> detached;
        detached.reserve(discs.size());
        for (const catalogue::Disc& disc : discs) {
            const std::string_view label = doc.Entries().Text(disc.label);
            auto* item = new QTreeWidgetItem;
            item->setText(0, QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
            detached.push_back(item);
        }
        items.push_back(watch.Ms());
        for (QTreeWidgetItem* item : detached) delete item;
    }

    std::printf("tree build: %zu disc nodes from %zu entries\n", nodes, doc.GetEntryCount());
    std::printf("  initial update + paint  %8.1f ms (target about 100 ms)\n", Best(build));
    std::printf("  disc runs alone         %8.1f ms  ratio %.1f\n", Best(runs),
                Best(build) / std::max(Best(runs), 0.01));
    std::printf("  detached items alone    %8.1f ms  ratio %.1f\n", Best(items),
                Best(build) / std::max(Best(items), 0.01));

    CKavrelDoc big;
    for (int disc = 0; disc < 5; ++disc) {
        const std::string label = "BIG " + std::to_string(disc);
        for (int i = 0; i < 200000; ++i)
            big.AppendEntry(label, "FILE" + std::to_string(i) + ".DAT", i % 20 ? "file " : "folder ", "\\",
                            "1,234,567");
    }
    CKavrelView bigView(&big, nullptr);
    bigView.OnInitialUpdate();
    std::vector<double> tips, bigRuns;
    QString tip;
    for (int round = 0; round < kRounds; ++round) {
        Stopwatch watch;
        tip = bigView.DiscToolTip(bigView.m_hImageRoot->child(2));
        tips.push_back(watch.Ms());
        watch.Restart();
        const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(big.Entries());
        bigRuns.push_back(watch.Ms());
    }
    std::printf("disc tooltip: \"%s\" of a disc of 200,000 among %zu entries\n", qPrintable(tip),
                big.GetEntryCount());
    std::printf("  tooltip                 %8.1f ms (target well below 500 ms)\n", Best(tips));
    std::printf("  disc runs alone         %8.1f ms  ratio %.1f\n", Best(bigRuns),
                Best(tips) / std::max(Best(bigRuns), 0.01));
    return 0;
}
