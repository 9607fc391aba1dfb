#include "catalogue/BulkPrefaulter.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

#include "catalogue/BulkMemory.h"

namespace {
// Pages are taken a huge page at a time: fewer calls, and the kernel fills a huge page in one go.
constexpr std::size_t kStep = bulk::kHugeBlock;
// How long the helper sleeps once it is kAhead ahead everywhere: the filler needs milliseconds to catch up,
// and a waiting helper costs nothing but these wake-ups.
constexpr auto kIdle = std::chrono::milliseconds(1);
}  // namespace

BulkPrefaulter::BulkPrefaulter(std::vector<Region> regions)
    : m_regions(std::move(regions)),
      m_filled(std::make_unique<std::atomic<std::size_t>[]>(m_regions.size())),
      m_taken(m_regions.size(), 0) {
    if (!bulk::CanTakePages()) return;
    try {
        m_helper = std::thread(&BulkPrefaulter::Run, this);
    } catch (const std::system_error&) {
        // No thread to spare: the pages come on first touch, as without a helper.
    }
}

BulkPrefaulter::~BulkPrefaulter() {
    Stop();
}

void BulkPrefaulter::Stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_helper.joinable()) m_helper.join();
}

bool BulkPrefaulter::Step(std::size_t region) {
    const Region& r = m_regions[region];
    const std::size_t filled = m_filled[region].load(std::memory_order_relaxed);
    std::size_t& taken = m_taken[region];
    // What the filler has reached it took itself; the helper goes on from there, a whole step at a time
    // (the region's last one excepted), so that it wakes up and calls the system as seldom as it can.
    taken = std::max(taken, std::min(filled, r.bytes));
    const std::size_t wanted = std::min(r.bytes, filled + kAhead);
    if (taken >= wanted || (wanted - taken < kStep && wanted < r.bytes)) return false;
    const std::size_t step = std::min(kStep, wanted - taken);
    if (!bulk::TakePages(r.begin + taken, step)) {
        taken = r.bytes;  // the system refuses: this region fills on first touch, as without a helper
        return false;
    }
    taken += step;
    return true;
}

void BulkPrefaulter::Run() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        bool worked = false;
        for (std::size_t region = 0; region < m_regions.size(); ++region) worked |= Step(region);
        lock.lock();
        if (!worked) m_wake.wait_for(lock, kIdle, [this] { return m_stop; });
    }
}
