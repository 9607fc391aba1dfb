// Speed of browsing a big disc folder by folder on the offscreen platform, through the real tree and
// contents list, as ratios to references measured in the same run, so the numbers mean the same on a slow
// shared machine and a fast one.
//
// A disc of 200,000 entries (360 folders of 500 files, and one folder of 20,000 photos) sits between two
// small discs.
// 1. Expanding its node with no index kept (the catalogue has just changed): the one pass that builds its
//    folder index, its folder nodes, the tree's layout and one paint. Reference: a plain pass over the
//    disc's rows reading the label, path and kind of each, the least any index of them must do.
//    Target: about 50 ms.
// 2. Selecting the node of the folder of 20,000 entries: the hint, the contents list's rows, its layout
//    and one paint. Reference: copying the folder's 20,000 names into a std::vector<std::string>, the least
//    any list that held its own rows would have to do. Target: about 50 ms.

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "Stopwatch.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/FolderIndex.h"
#include "lists/CSecView.h"
#include "tree/CKavrelView.h"

namespace {

constexpr int kSets = 360;
constexpr int kPerSet = 500;
constexpr int kPhotos = 20000;
constexpr int kRounds = 5;
constexpr const char* kLabel = "BIG DISC";

void FillCatalogue(CKavrelDoc& doc) {
    for (int i = 0; i < 1000; ++i) doc.AppendEntry("SMALL 1", "f" + std::to_string(i), "file ", "\\", "1");
    doc.AppendEntry(kLabel, "DATA", "folder ", "\\", "0");
    for (int set = 0; set < kSets; ++set) {
        const std::string name = "SET" + std::to_string(set);
        doc.AppendEntry(kLabel, name, "folder ", "\\DATA\\", "0");
        const std::string folder = "\\DATA\\" + name + "\\";
        for (int i = 0; i < kPerSet; ++i)
            doc.AppendEntry(kLabel, "DOC_" + std::to_string(100000 + i) + ".PDF", "file ", folder, "12,345");
    }
    doc.AppendEntry(kLabel, "PHOTOS", "folder ", "\\", "0");
    for (int i = 0; i < kPhotos; ++i)
        doc.AppendEntry(kLabel, "IMG_" + std::to_string(100000 + i) + ".JPG", "file ", "\\PHOTOS\\",
                        std::to_string(1000 + i % 9000) + ",123");
    for (int i = 0; i < 1000; ++i) doc.AppendEntry("SMALL 2", "f" + std::to_string(i), "file ", "\\", "1");
}

// The worst case for the index: a disc whose 200,000 entries are all folders, twenty to a folder.
void FillFolders(EntryStore& store) {
    std::vector<std::string> paths{"\\"};
    paths.reserve(200001);
    for (int i = 1; i <= 200000; ++i) {
        const std::string name = "FOLDER " + std::to_string(i);
        const std::string& parent = paths[static_cast<std::size_t>((i - 1) / 20)];
        store.Append("FOLDERS", name, "folder ", parent, "0");
        paths.push_back(parent + name + "\\");
    }
}

QTreeWidgetItem* Child(QTreeWidgetItem* node, const char* name) {
    for (int i = 0; i < node->childCount(); ++i) {
        if (CKavrelView::NodeText(node->child(i)) == name) return node->child(i);
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CKavrelDoc doc;
    FillCatalogue(doc);
    CKavrelView tree(&doc, nullptr);
    CSecView contents(&doc);
    tree.resize(250, 600);
    contents.resize(900, 600);
    tree.show();
    contents.show();
    tree.OnInitialUpdate();
    contents.OnInitialUpdate();
    QApplication::processEvents();

    std::vector<double> expand, build, pass, list, copy;
    std::size_t discEntries = 0;
    int folderNodes = 0;
    int rows = 0;
    for (int round = 0; round < kRounds; ++round) {
        tree.OnInitialUpdate();
        QTreeWidgetItem* disc = tree.m_hImageRoot->child(1);
        doc.EditEntries();  // access that may change the entries: the kept indexes go
        QApplication::processEvents();

        Stopwatch watch;
        disc->setExpanded(true);
        tree.grab();  // lay out and paint once, as the screen would
        expand.push_back(watch.Ms());

        const EntryStore& entries = std::as_const(doc).Entries();
        const catalogue::Disc run = catalogue::FirstDisc(entries, kLabel);
        watch.Restart();
        const catalogue::FolderIndex alone(entries, run);
        build.push_back(watch.Ms());

        watch.Restart();
        std::size_t seen = 0;
        std::uint64_t sum = 0;
        for (std::size_t i = run.first; i < run.end; ++i) {
            if (entries.LabelId(i) != run.label) continue;
            sum += entries.PathId(i) + entries.KindId(i);
            ++seen;
        }
        pass.push_back(watch.Ms());
        discEntries = seen + (sum == 0 || alone.FolderCount() == 0 ? 1 : 0);

        QTreeWidgetItem* photos = Child(disc, "PHOTOS");
        QTreeWidgetItem* data = Child(disc, "DATA");
        if (!photos || !data) {
            std::printf("the disc's folders are missing\n");
            return 1;
        }
        data->setExpanded(true);
        folderNodes = disc->childCount() + data->childCount();
        watch.Restart();
        tree.setCurrentItem(photos);
        contents.viewport()->repaint();  // lays the rows out and paints the visible ones
        QApplication::processEvents();
        list.push_back(watch.Ms());
        rows = contents.model()->rowCount();

        watch.Restart();
        std::vector<std::string> names;
        names.reserve(kPhotos);
        const auto index = doc.Folders(catalogue::FirstDisc(entries, kLabel));
        for (const std::uint32_t row : index->Rows(index->Find("\\PHOTOS\\")))
            names.emplace_back(entries.Name(row));
        copy.push_back(watch.Ms());
    }

    EntryStore folders;
    FillFolders(folders);
    std::vector<double> worst;
    std::size_t worstCount = 0;
    for (int round = 0; round < kRounds; ++round) {
        Stopwatch watch;
        const catalogue::FolderIndex index(folders, catalogue::FirstDisc(folders, "FOLDERS"));
        worst.push_back(watch.Ms());
        worstCount = index.FolderCount();
    }

    std::printf("folders: a disc of %zu entries, %d folder nodes opened; a folder of %d rows listed\n",
                discEntries, folderNodes, rows);
    std::printf("  expand the disc node (index built) + paint  %8.1f ms (target about 50 ms)\n",
                Best(expand));
    std::printf("  the folder index alone                      %8.1f ms\n", Best(build));
    std::printf("  plain pass over its rows                    %8.1f ms  ratio %.1f\n", Best(pass),
                Best(expand) / std::max(Best(pass), 0.01));
    std::printf("  the index of a disc of %zu folders alone   %8.1f ms (every entry a folder)\n",
                worstCount - 1, Best(worst));
    std::printf("  list the folder of %d entries + paint    %8.1f ms (target about 50 ms)\n", kPhotos,
                Best(list));
    std::printf("  copy its names                              %8.1f ms  ratio %.1f\n", Best(copy),
                Best(list) / std::max(Best(copy), 0.01));
    return 0;
}
