// Cataloguing a disc image: writes an ISO 9660 image (Rock Ridge and Joliet) of 100,000 files in 2,000
// folders with libarchive (once; it is reused), then runs `tamberol-cli scan CATALOGUE IMAGE` and the
// reference `bsdtar -tvf IMAGE > /dev/null` as whole processes, in turns, and prints the best wall time of
// each, their ratio, their peak memory and how many bytes each read: the image's file data is never read,
// so tamberol-cli reads little more than its directories.
//   bench_image [FOLDER]   (default /tmp/tamberol-bench-image; the image is left there)
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr int kFolders = 2000;
constexpr int kFilesPerFolder = 50;
constexpr const char* kImageName = "/bench-v1.iso";

// The image is written sparse: blocks of zeros are skipped rather than written.
la_ssize_t WriteSparse(archive*, void* client, const void* buffer, size_t length) {
    const int fd = *static_cast<int*>(client);
    const char* bytes = static_cast<const char*>(buffer);
    if (std::all_of(bytes, bytes + length, [](char c) { return c == 0; }))
        return lseek(fd, static_cast<off_t>(length), SEEK_CUR) < 0 ? -1 : static_cast<la_ssize_t>(length);
    return write(fd, buffer, length);
}

int CloseSparse(archive*, void* client) {
    const int fd = *static_cast<int*>(client);
    const off_t end = lseek(fd, 0, SEEK_CUR);
    const int result = ftruncate(fd, end);
    close(fd);
    return result == 0 ? ARCHIVE_OK : ARCHIVE_FATAL;
}

void Add(archive* writer, const std::string& path, bool folder, std::size_t size,
         const std::vector<char>& data) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, path.c_str());
    archive_entry_set_filetype(entry, folder ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, folder ? 0755 : 0644);
    archive_entry_set_size(entry, folder ? 0 : static_cast<la_int64_t>(size));
    if (archive_write_header(writer, entry) != ARCHIVE_OK) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), archive_error_string(writer));
        std::exit(1);
    }
    if (!folder) archive_write_data(writer, data.data(), size);
    archive_entry_free(entry);
}

void BuildImage(const std::string& image) {
    if (access(image.c_str(), F_OK) == 0) return;
    std::printf("writing the image %s ...\n", image.c_str());
    std::fflush(stdout);
    std::mt19937 random(14);
    const std::vector<char> data(64 * 1024, 0);
    archive* writer = archive_write_new();
    archive_write_set_format_iso9660(writer);
    archive_write_set_option(writer, "iso9660", "rockridge", "1");
    archive_write_set_option(writer, "iso9660", "joliet", "long");
    archive_write_set_option(writer, "iso9660", "volume-id", "BENCH");
    const std::string partial = image + ".part";
    int fd = open(partial.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    if (fd < 0 || archive_write_open(writer, &fd, nullptr, WriteSparse, CloseSparse) != ARCHIVE_OK) {
        std::perror(partial.c_str());
        std::exit(1);
    }
    static constexpr const char* kWords[] = {"holiday", "report", "track", "scan", "IMG", "letter", "backup"};
    static constexpr const char* kExtensions[] = {".jpg", ".txt", ".mp3", ".doc", ".pdf"};
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = "Part " + std::to_string(f / 100) + "/Folder " + std::to_string(f);
        if (f % 100 == 0) Add(writer, "Part " + std::to_string(f / 100), true, 0, data);
        Add(writer, folder, true, 0, data);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const std::string name = std::string(kWords[random() % 7]) + " number " + std::to_string(i) +
                                     kExtensions[random() % 5];
            Add(writer, folder + "/" + name, false, random() % data.size(), data);
        }
    }
    if (archive_write_close(writer) != ARCHIVE_OK) {
        std::fprintf(stderr, "%s\n", archive_error_string(writer));
        std::exit(1);
    }
    archive_write_free(writer);
    std::rename(partial.c_str(), image.c_str());
}

struct Run {
    double seconds = 0;
    long peakKb = 0;
    long long bytesRead = 0;
};

// Runs `argv` with stdout to /dev/null; wall time, peak memory and the bytes it read (/proc/PID/io).
Run Measure(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execvp(args[0], args.data());
        _exit(127);
    }
    Run run;
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream io("/proc/" + std::to_string(child) + "/io");
    for (std::string key; io >> key;) {
        if (key == "rchar:") io >> run.bytesRead;
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.peakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(1);
    }
    return run;
}

Run Best(const std::vector<Run>& runs) {
    return *std::min_element(runs.begin(), runs.end(),
                             [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp/tamberol-bench-image";
    mkdir(folder.c_str(), 0755);
    const std::string image = folder + kImageName;
    // Written by a child process: the writer's memory would otherwise count in every later child's peak,
    // which starts from the parent's when it forks.
    if (const pid_t writer = fork(); writer == 0) {
        BuildImage(image);
        _exit(0);
    } else {
        int status = 0;
        waitpid(writer, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    }
    const std::string catalogue = folder + "/bench.cdi";
    struct stat st {};
    stat(image.c_str(), &st);

    std::vector<Run> ours;
    std::vector<Run> reference;
    for (int i = 0; i < kRuns; ++i) {
        reference.push_back(Measure({"bsdtar", "-tvf", image}));
        std::remove(catalogue.c_str());
        ours.push_back(Measure({TAMBEROL_CLI, "scan", catalogue, image}));
    }
    const Run best = Best(ours);
    const Run ref = Best(reference);
    std::printf("image: %d files in %d folders, %.1f MB\n", kFolders * kFilesPerFolder, kFolders,
                static_cast<double>(st.st_size) / 1e6);
    std::printf("bsdtar -tvf:        %7.3f s  peak %6ld KB  read %10lld bytes\n", ref.seconds, ref.peakKb,
                ref.bytesRead);
    std::printf("tamberol-cli scan:  %7.3f s  peak %6ld KB  read %10lld bytes\n", best.seconds, best.peakKb,
                best.bytesRead);
    std::printf("ratio: %.2f (target 1.20 or less)\n", best.seconds / ref.seconds);
    return 0;
}
