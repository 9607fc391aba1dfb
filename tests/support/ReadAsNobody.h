#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// As root every file can be read: while it lives, this process reads files as nobody, as a person without
// the right to a locked file would read them. Not as root the locked files are locked already.
class ReadAsNobody {
public:
    // Opens the tree under `top` to all (folders 0755, files 0644) but the files and folders `locked`,
    // which keep no permission, then takes nobody's user id.
    ReadAsNobody(const std::string& top, const std::vector<std::string>& locked) : m_root(geteuid() == 0) {
        if (!m_root) return;
        for (const auto& item : std::filesystem::recursive_directory_iterator(top)) {
            const bool isLocked =
                std::find(locked.begin(), locked.end(), item.path().string()) != locked.end();
            chmod(item.path().c_str(), isLocked ? 0 : item.is_directory() ? 0755 : 0644);
        }
        chmod(top.c_str(), 0755);
        if (seteuid(kNobody) != 0) return;
        m_switched = true;
        // A temporary folder under /root (TMPDIR) cannot be reached by nobody.
        const int folder = open(top.c_str(), O_RDONLY | O_DIRECTORY);
        m_ready = folder >= 0;
        if (folder >= 0) close(folder);
    }
    ~ReadAsNobody() {
        if (m_switched) (void)seteuid(0);
    }
    ReadAsNobody(const ReadAsNobody&) = delete;
    ReadAsNobody& operator=(const ReadAsNobody&) = delete;

    // False when the files cannot be read as nobody would: the test that needs it is skipped.
    bool Ready() const { return !m_root || m_ready; }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_root;
    bool m_switched = false;
    bool m_ready = false;
};
