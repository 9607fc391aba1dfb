// Reading a folder's files on two lanes, against each file read whole on its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>

#include "ReadAsNobody.h"
#include "TempFolder.h"
#include "platform/FileData.h"

namespace {

struct Heard {
    std::string bytes;
    platform::FileRead outcome = platform::FileRead::Read;
    std::string reason;
    std::size_t lane = 0;
    int ends = 0;
};

// Keeps what each lane heard, checking that a lane hears one file at a time.
class Recorder : public platform::FileSink {
public:
    std::function<void(std::size_t lane, std::size_t file)> onBegin;

    void Begin(std::size_t lane, std::size_t file) override {
        if (onBegin) onBegin(lane, file);
        const std::lock_guard lock(m_mutex);
        EXPECT_EQ(m_open.count(lane), 0u) << "lane " << lane << " began a file before the last ended";
        m_open[lane] = file;
    }
    void Bytes(std::size_t lane, const char* data, std::size_t size) override {
        const std::lock_guard lock(m_mutex);
        files[m_open.at(lane)].bytes.append(data, size);
    }
    void End(std::size_t lane, std::size_t file, platform::FileRead outcome,
             const std::string& reason) override {
        const std::lock_guard lock(m_mutex);
        if (m_open.count(lane)) {
            EXPECT_EQ(m_open[lane], file);
        }
        m_open.erase(lane);
        Heard& heard = files[file];
        heard.outcome = outcome;
        heard.reason = reason;
        heard.lane = lane;
        ++heard.ends;
    }
    std::map<std::size_t, Heard> files;

private:
    std::mutex m_mutex;
    std::map<std::size_t, std::size_t> m_open;
};

// Holds the lead in its first file until the second lane has begun one, so that the second lane's part is
// seen whatever the machine's pace; `then` is told each file begun after that.
void SecondLaneFirst(Recorder& sink, std::function<void(std::size_t lane, std::size_t file)> then = {}) {
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool helped = false;
    };
    auto gate = std::make_shared<Gate>();
    sink.onBegin = [gate, then](std::size_t lane, std::size_t file) {
        {
            std::unique_lock lock(gate->mutex);
            if (lane == 1) gate->helped = true;
            gate->changed.notify_all();
            if (lane == 0)
                gate->changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate->helped; });
        }
        if (then) then(lane, file);
    };
}

// How many of the process's memory maps are of files below `folder`.
std::size_t MappingsOf(const std::string& folder) {
    std::ifstream maps("/proc/self/maps");
    std::size_t count = 0;
    for (std::string line; std::getline(maps, line);) count += line.find(folder) != std::string::npos;
    return count;
}

// Drops a written file's bytes from memory, as for a disc not read yet; false when the system kept them.
bool Evict(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    struct stat st {};
    ::fstat(fd, &st);
    bool gone = true;
    if (st.st_size > 0) {
        void* mapped = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        unsigned char first = 1;
        gone = ::mincore(mapped, 1, &first) == 0 && (first & 1) == 0;
        ::munmap(mapped, static_cast<std::size_t>(st.st_size));
    }
    ::close(fd);
    return gone;
}

}  // namespace

// Files in memory go to either lane, files not in memory to the lead alone, so that a disc is read in order;
// whatever the lane, each file ends once with exactly its bytes. Things that are no plain files are told by
// the lead in their turn.
TEST(ReadFolderFiles, EachFileEndsOnceWithItsBytesAndOnlyFilesInMemoryGoToTheSecondLane) {
    const TempFolder tree;
    std::mt19937 random(20261208);
    constexpr std::size_t kBuffer = tuning::kHashBuffer;
    const std::size_t sizes[] = {0, 1, kBuffer - 1, kBuffer, kBuffer + 1, 3 * kBuffer + 5, 700000};
    std::vector<platform::FilePath> paths;
    std::map<std::size_t, std::string> expected;
    std::vector<std::size_t> evicted;
    for (std::size_t f = 0; f < 60; ++f) {
        const platform::FilePath path = "D" + std::to_string(f % 3) + "/S/F" + std::to_string(f);
        std::string bytes(sizes[random() % std::size(sizes)], '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        tree.Folder("D" + std::to_string(f % 3) + "/S");
        std::ofstream(tree.At(path), std::ios::binary) << bytes;
        if (f % 4 == 2 && !bytes.empty() && Evict(tree.At(path))) evicted.push_back(f);
        expected[f] = bytes;
        paths.push_back(path);
    }
    ::symlink("F0", tree.At("D0/S/LINK").c_str());
    ::mkfifo(tree.At("D1/S/PIPE").c_str(), 0644);
    paths.insert(paths.begin() + 10, {"D0/S/LINK", "D1/S/PIPE", "D2/GONE"});

    Recorder sink;
    std::atomic<int> lanes[2] = {0, 0};
    SecondLaneFirst(sink, [&lanes](std::size_t lane, std::size_t) { ++lanes[lane]; });
    ASSERT_TRUE(platform::ReadFolderFiles(tree.Root(), paths, sink, nullptr));
    EXPECT_EQ(MappingsOf(tree.Root()), 0u) << "the files looked at stay mapped";
    EXPECT_GT(lanes[0], 0);
    EXPECT_GT(lanes[1], 0);

    ASSERT_EQ(sink.files.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const Heard& heard = sink.files[i];
        EXPECT_EQ(heard.ends, 1) << paths[i];
        if (i >= 10 && i < 13) {
            EXPECT_EQ(heard.lane, 0u) << paths[i];
            EXPECT_EQ(heard.outcome, i == 12 ? platform::FileRead::Unreadable : platform::FileRead::NotRead);
            continue;
        }
        const std::size_t f = i < 10 ? i : i - 3;
        EXPECT_EQ(heard.outcome, platform::FileRead::Read) << paths[i];
        EXPECT_TRUE(heard.bytes == expected[f]) << paths[i] << ": " << heard.bytes.size() << " bytes heard";
        if (std::find(evicted.begin(), evicted.end(), f) != evicted.end()) {
            EXPECT_EQ(heard.lane, 0u) << paths[i] << " was not in memory, yet read out of turn";
        }
    }
    EXPECT_EQ(sink.files[12].reason, "No such file or directory");

    // To someone who neither owns the files nor may write them the system says that every page is in memory:
    // the second lane takes none of them then, so a disc mounted for another user is still read in order.
    if (::geteuid() != 0) return;
    for (const std::size_t f : evicted)
        Evict(tree.At("D" + std::to_string(f % 3) + "/S/F" + std::to_string(f)));
    const ReadAsNobody nobody(tree.Root(), {});
    if (!nobody.Ready()) return;
    Recorder asNobody;
    ASSERT_TRUE(platform::ReadFolderFiles(tree.Root(), paths, asNobody, nullptr));
    for (const auto& [file, heard] : asNobody.files) EXPECT_EQ(heard.lane, 0u) << paths[file];
}

// A cancel stops both lanes; what a lane's sink throws comes out of the call on the caller's thread.
TEST(ReadFolderFiles, ACancelOrAFailureOnEitherLaneStopsTheReading) {
    const TempFolder tree;
    std::vector<platform::FilePath> paths;
    for (int f = 0; f < 40; ++f) {
        paths.push_back("F" + std::to_string(f));
        tree.File(paths.back(), 300000);
    }
    for (const std::size_t failing : {std::size_t{0}, std::size_t{1}}) {
        Recorder sink;
        SecondLaneFirst(sink, [failing](std::size_t lane, std::size_t) {
            if (lane == failing) throw std::runtime_error("full");
        });
        EXPECT_THROW(platform::ReadFolderFiles(tree.Root(), paths, sink, nullptr), std::runtime_error)
            << "lane " << failing;
    }
    // The lead failing while the second lane waits for it to take a file not in memory ends both.
    Evict(tree.At(paths[1]));
    Recorder failing;
    failing.onBegin = [](std::size_t, std::size_t) { throw std::runtime_error("full"); };
    EXPECT_THROW(platform::ReadFolderFiles(tree.Root(), paths, failing, nullptr), std::runtime_error);

    std::atomic<bool> cancel{false};
    Recorder sink;
    sink.onBegin = [&cancel](std::size_t, std::size_t file) {
        if (file == 6) cancel = true;
    };
    EXPECT_FALSE(platform::ReadFolderFiles(tree.Root(), paths, sink, &cancel));
    EXPECT_LT(sink.files.size(), paths.size());
    for (const auto& [file, heard] : sink.files) EXPECT_LE(heard.ends, 1) << file;
}
