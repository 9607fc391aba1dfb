#include "platform/ImageCache.h"

#include <cstddef>
#include <list>
#include <mutex>

#include "platform/ImageVolume.h"
#include "platform/Tuning.h"

namespace platform {

namespace {

// The images read last, the one used last first.
class ImageCache {
public:
    std::shared_ptr<const ImageVolume> Get(const std::string& path, ImageStamp stamp, std::string& problem,
                                           const std::atomic<bool>* cancel,
                                           const std::function<void(std::size_t)>& progress) {
        {
            const std::lock_guard guard(m_lock);
            for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
                if (it->path != path) continue;
                if (it->stamp == stamp) {
                    m_kept.splice(m_kept.begin(), m_kept, it);
                    return m_kept.front().volume;
                }
                m_kept.erase(it);
                break;
            }
        }
        // Read outside the lock: a long read must not hold up the listing of another image.
        std::shared_ptr<const ImageVolume> volume = ImageVolume::Read(path, problem, cancel, progress);
        if (!volume) return nullptr;
        const std::lock_guard guard(m_lock);
        m_kept.push_front({path, stamp, volume});
        if (m_kept.size() > kKept) m_kept.pop_back();
        return volume;
    }

private:
    static constexpr std::size_t kKept = tuning::kImagesKept;
    struct Kept {
        std::string path;
        ImageStamp stamp;
        std::shared_ptr<const ImageVolume> volume;
    };
    std::mutex m_lock;
    std::list<Kept> m_kept;
};

}  // namespace

std::shared_ptr<const ImageVolume> KeptImage(const std::string& path, ImageStamp stamp, std::string& problem,
                                             const std::atomic<bool>* cancel,
                                             const std::function<void(std::size_t)>& progress) {
    static ImageCache cache;
    return cache.Get(path, stamp, problem, cancel, progress);
}

}  // namespace platform
