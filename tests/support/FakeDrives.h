#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/DriveMedia.h"
#include "scan/DiscWatch.h"

// The drives as a test sets them: what each holds, and what opening a tray answers.
class FakeDrives : public scan::WatchedDrives {
public:
    std::vector<platform::DriveMedium> Look() override {
        std::lock_guard lock(m_lock);
        return media;
    }
    std::string Eject(const platform::DriveMedium& medium) override {
        std::lock_guard lock(m_lock);
        ejected.push_back(medium.root);
        return ejectAnswer;
    }
    int WakeFd() const override { return -1; }
    void Drain() override {}
    void Set(std::vector<platform::DriveMedium> now) {
        std::lock_guard lock(m_lock);
        media = std::move(now);
    }
    std::vector<std::string> Ejected() {
        std::lock_guard lock(m_lock);
        return ejected;
    }

    std::vector<platform::DriveMedium> media;
    std::vector<std::string> ejected;
    std::string ejectAnswer;

private:
    std::mutex m_lock;
};

// A drive holding the disc `source` (a folder or an image), told apart from others by `identity`.
inline platform::DriveMedium Holding(const std::string& root, const std::string& source,
                                     const std::string& identity) {
    return {root, {}, source, identity, {}, false};
}
