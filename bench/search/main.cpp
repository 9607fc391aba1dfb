// Searching a large catalogue: builds a realistic 1,000,000-entry catalogue in memory, writes its names one
// per line to a file, and times search::Scan against `grep -F -c` (and `grep -F -i -c` for the folded search)
// over that file, best of a few runs each, in the C locale where grep is fastest. A ratio below 1 means the
// scan is the faster. Exits with 1 when the scan takes more than half of grep's processor time, or when its
// hit count differs from grep's line count: both look for the same plain text in the same names (grep folds
// only ASCII letters, so a text's letters beyond ASCII must be lower-case, as the names hold them).
//   bench_search [TEXT]   (default "Zebra", which few names hold; no '*', which grep -F takes literally)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/FormatSize.h"
#include "search/SearchEngine.h"

namespace {

constexpr std::size_t kEntries = 1'000'000;
constexpr std::size_t kEntriesPerDisc = 600;
constexpr int kRuns = 15;
constexpr double kTargetRatio = 0.5;  // of grep's processor time

std::string RandomName(std::mt19937& random, bool folder) {
    static constexpr std::string_view kWords[] = {
        "IMG",    "DSC",     "photo",   "Holiday", "report", "backup",  "music",  "Track",
        "setup",  "readme",  "invoice", "scan",    "draft",  "final",   "notes",  "Summer",
        "family", "budget",  "project", "video",   "intro",  "chapter", "letter", "config",
        "data",   "archive", "Beach",   "party",   "school", "work",    "été",    "Müller",
        "copy",   "new",     "old",     "v2",      "Thumbs", "index",   "lib",    "test"};
    static constexpr std::string_view kExtensions[] = {".jpg", ".txt", ".mp3", ".doc", ".pdf",
                                                       ".png", ".zip", ".exe", ".dll", ".avi"};
    std::string name;
    const int words = std::uniform_int_distribution<int>(1, 3)(random);
    for (int i = 0; i < words; ++i) {
        if (i > 0) name += "_ -"[random() % 3];
        // A rare word, so that a search for it has few hits, as most searches do.
        name += random() % 20000 == 0 ? std::string_view("Zebra") : kWords[random() % std::size(kWords)];
        if (random() % 3 == 0) name += std::to_string(random() % 10000);
    }
    if (!folder) name += kExtensions[random() % std::size(kExtensions)];
    return name;
}

void BuildCatalogue(CKavrelDoc& doc) {
    std::mt19937 random(20261207);
    doc.EditEntries().Reserve(kEntries);
    std::string label;
    std::string path = "\\";
    for (std::size_t i = 0; i < kEntries; ++i) {
        if (i % kEntriesPerDisc == 0) label = "Disc " + std::to_string(i / kEntriesPerDisc);
        const bool folder = random() % 12 == 0;
        const std::string name = RandomName(random, folder);
        if (folder) {
            doc.AppendEntry(label, name, kKindFolder, path, "0");
            path = random() % 4 == 0 ? "\\" : path + name + "\\";
        } else {
            doc.AppendEntry(label, name, kKindFile, path, catalogue::FormatSize(random() % 5'000'000));
        }
    }
}

struct Cost {
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

double CpuMs(const rusage& usage) {
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Best wall time and best processor time of a few runs: the machine is shared, so processor time is the
// steadier of the two.
template <typename Work>
Cost Best(Work work) {
    Cost best;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best.wallMs = std::min(best.wallMs, took.count());
        best.cpuMs = std::min(best.cpuMs, cpu);
    }
    return best;
}

// Runs grep in the C locale, where it is fastest, and returns its processor time; `count` gets what it
// printed.
double RunGrep(const std::vector<std::string>& options, const std::string& text, const std::string& file,
               long& count) {
    std::vector<std::string> words = {"grep"};
    words.insert(words.end(), options.begin(), options.end());
    words.insert(words.end(), {"-e", text, file});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    char locale[] = "LC_ALL=C";
    char* envp[] = {locale, nullptr};
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char buffer[64] = {};
    const ssize_t got = failed ? 0 : read(out[0], buffer, sizeof buffer - 1);
    close(out[0]);
    count = got > 0 ? std::strtol(buffer, nullptr, 10) : -1;
    int status = 0;
    rusage usage{};
    if (failed || wait4(pid, &status, 0, &usage) < 0) return -1;
    return CpuMs(usage);
}

// Times one search and its grep; false, with the reason on stderr, when the scan is too slow or wrong.
bool Compare(const CKavrelDoc& doc, const std::string& text, const std::string& file,
             const search::Options& searchOptions, const std::vector<std::string>& grepOptions) {
    const std::string named = std::string(searchOptions.caseSensitive ? "cased" : "folded") +
                              (searchOptions.fileAndFolder ? "" : " files") +
                              (searchOptions.wholeName ? " whole" : "");
    const char* name = named.c_str();
    long grepHits = 0;
    const Cost grep = Best([&] { return RunGrep(grepOptions, text, file, grepHits); });
    std::size_t hits = 0;
    const Cost scan = Best([&] {
        const double start = ThreadCpuMs();
        hits = search::Scan(doc, text, searchOptions, [](std::size_t) {});
        return ThreadCpuMs() - start;
    });
    std::string options;
    for (const std::string& option : grepOptions) options += option + " ";
    const double cpuRatio = scan.cpuMs / grep.cpuMs;
    std::printf(
        "%-18s %zu hits: scan %.1f ms (cpu %.1f), grep %s(%ld lines) %.1f ms (cpu %.1f): "
        "ratio %.2f, cpu ratio %.2f (target <= %.2f)\n",
        name, hits, scan.wallMs, scan.cpuMs, options.c_str(), grepHits, grep.wallMs, grep.cpuMs,
        scan.wallMs / grep.wallMs, cpuRatio, kTargetRatio);
    bool good = true;
    if (grepHits < 0 || static_cast<std::size_t>(grepHits) != hits) {
        std::fprintf(stderr, "%s: the scan found %zu names, grep %ld\n", name, hits, grepHits);
        good = false;
    }
    if (cpuRatio > kTargetRatio) {
        std::fprintf(stderr, "%s: the scan took %.2f of grep's processor time, more than %.2f\n", name,
                     cpuRatio, kTargetRatio);
        good = false;
    }
    return good;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string text = argc > 1 ? argv[1] : "Zebra";
    if (text.empty() || text.find('*') != std::string::npos) {
        std::fprintf(stderr, "usage: bench_search [TEXT]   (TEXT not empty, without '*')\n");
        return 2;
    }

    CKavrelDoc doc;
    BuildCatalogue(doc);
    char file[] = "/tmp/tamberol-bench-search-XXXXXX";
    const int fd = mkstemp(file);
    if (fd < 0) {
        std::perror("mkstemp");
        return 1;
    }
    close(fd);
    {
        std::ofstream out(file, std::ios::binary);
        for (std::size_t i = 0; i < doc.GetEntryCount(); ++i) out << doc.Entries().Name(i) << '\n';
    }
    std::printf("%zu entries, text \"%s\"\n", doc.GetEntryCount(), text.c_str());

    bool good = Compare(doc, text, file, {.caseSensitive = true}, {"-F", "-c"});
    good = Compare(doc, text, file, {.caseSensitive = false}, {"-F", "-i", "-c"}) && good;
    std::remove(file);
    return good ? 0 : 1;
}
