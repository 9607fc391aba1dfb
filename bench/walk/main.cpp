// Walking a disc: builds a tree of 100,000 files in 1,110 folders (once; it is reused), then times
// DiscWalker on it through a drive text against `find TREE -printf '%s %p\n'` on the same warm tree, which
// stats every item and prints its size and path: the least a walk must do. Best of several runs each.
//   bench_walk [FOLDER]   (default /tmp/tamberol-bench-walk; the tree is left there)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "catalogue/EntryStore.h"
#include "scan/DiscWalker.h"

namespace {

constexpr int kRuns = 5;
constexpr int kFanOut = 10;          // folders per folder, three levels deep: 10 + 100 + 1,000 folders
constexpr int kFilesPerFolder = 90;  // in each of the 1,110 folders, plus 100 at the top: 100,000 files
constexpr int kTopFiles = 100;
constexpr const char* kMarker = "/.tamberol-bench-tree-v1";

std::string FileName(std::mt19937& random, int n) {
    static constexpr const char* kWords[] = {"holiday", "report", "track", "scan", "IMG", "letter", "backup"};
    static constexpr const char* kExtensions[] = {".jpg", ".txt", ".mp3", ".doc", ".pdf"};
    return std::string(kWords[random() % 7]) + "_" + std::to_string(n) + kExtensions[random() % 5];
}

void MakeFiles(std::mt19937& random, const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/" + FileName(random, i);
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            std::exit(1);
        }
        // Sparse: the sizes are realistic without filling the disk.
        if (ftruncate(fd, static_cast<off_t>(random() % 8'000'000)) != 0) std::perror(path.c_str());
        close(fd);
    }
}

void BuildTree(const std::string& root) {
    if (access((root + kMarker).c_str(), F_OK) == 0) return;
    std::printf("building the tree in %s ...\n", root.c_str());
    mkdir(root.c_str(), 0755);
    std::mt19937 random(7);
    const std::function<void(const std::string&, int)> fill = [&](const std::string& folder, int depth) {
        if (depth == 0) {
            MakeFiles(random, folder, kTopFiles);
        } else {
            MakeFiles(random, folder, kFilesPerFolder);
        }
        if (depth == 3) return;
        for (int i = 0; i < kFanOut; ++i) {
            const std::string sub = folder + "/Folder " + std::to_string(depth) + "-" + std::to_string(i);
            mkdir(sub.c_str(), 0755);
            fill(sub, depth + 1);
        }
    };
    fill(root, 0);
    std::ofstream(root + kMarker) << "complete\n";
}

template <typename Run>
double BestSeconds(Run run) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string root = argc > 1 ? argv[1] : "/tmp/tamberol-bench-walk";
    BuildTree(root);
    setenv("TAMBEROL_DRIVES", ("E=" + root).c_str(), 1);

    std::size_t entries = 0;
    const double walk = BestSeconds([&] {
        scan::DiscWalker walker("Bench");
        EntryStore out;
        walker.Walk("E:\\", out);
        entries = out.Size();
    });
    const std::string findCommand = "find '" + root + "' -printf '%s %p\\n' > /dev/null";
    const double find = BestSeconds([&] {
        if (std::system(findCommand.c_str()) != 0) std::fprintf(stderr, "find failed\n");
    });

    std::printf("entries walked:   %zu\n", entries);
    std::printf("DiscWalker:       %.1f ms\n", walk * 1000);
    std::printf("find -printf:     %.1f ms\n", find * 1000);
    std::printf("ratio walk/find:  %.2f (target: about 1.2 or less)\n", walk / find);
    return 0;
}
