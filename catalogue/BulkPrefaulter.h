#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Takes the pages of bulk memory from the system on a helper thread, a bounded distance ahead of the code
// that fills them. Memory touched for the first time costs the kernel a page of zeroes (and a virtual
// machine's host its own fault), which is about half of what opening a large catalogue takes; on a second
// core that work runs beside the parser instead of inside it, and never more than kAhead bytes early (and
// the rest of the huge page that holds the last of them).
class BulkPrefaulter {
public:
    // A range of bulk memory (from bulk::Allocate) that is filled from its start on.
    struct Region {
        char* begin;
        std::size_t bytes;
    };
    // How far beyond the filled part of a region its pages are taken.
    static constexpr std::size_t kAhead = std::size_t{4} << 20;

    // Starts following `regions`, none of them filled yet; does nothing where pages cannot be taken ahead.
    explicit BulkPrefaulter(std::vector<Region> regions);
    // Stops, as Stop does.
    ~BulkPrefaulter();
    BulkPrefaulter(const BulkPrefaulter&) = delete;
    BulkPrefaulter& operator=(const BulkPrefaulter&) = delete;

    // The first `bytes` bytes of region `region` are filled (or are being filled): cheap, call it often.
    void Filled(std::size_t region, std::size_t bytes) {
        m_filled[region].store(bytes, std::memory_order_relaxed);
    }
    // Stops the helper and waits until it has let go of every region; the regions may then be freed.
    void Stop();
    // How many bytes from the start of region `region` had their pages taken; valid after Stop.
    std::size_t Taken(std::size_t region) const { return m_taken[region]; }

private:
    void Run();
    // Takes the next step of pages of one region if it is behind; false when it has nothing to do.
    bool Step(std::size_t region);

    std::vector<Region> m_regions;
    std::unique_ptr<std::atomic<std::size_t>[]> m_filled;
    std::vector<std::size_t> m_taken;  // the helper's alone until it is joined
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_helper;
};
