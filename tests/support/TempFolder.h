#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A temporary folder (for instance a disc's tree) whose files and folders are made by paths relative to it.
class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }
    ~TempFolder() {
        // Folders a test made unreadable must become readable again for the clean-up.
        for (const std::string& folder : m_locked) chmod(folder.c_str(), 0755);
        // Qt cannot name files whose names are not UTF-8; the standard library removes them all, and like Qt
        // it removes symbolic links rather than what they point to.
        std::error_code ignored;
        std::filesystem::remove_all(Root(), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's own path.
    std::string Root() const { return m_dir.path().toStdString(); }
    // The path of `relative` inside the folder.
    std::string At(const std::string& relative) const { return Root() + "/" + relative; }

    // Makes a folder and any missing parents.
    void Folder(const std::string& relative) const {
        std::error_code error;
        std::filesystem::create_directories(At(relative), error);
        EXPECT_FALSE(error) << relative;
    }
    // Makes a file of `bytes` bytes, with any missing parent folders.
    void File(const std::string& relative, std::size_t bytes = 0) const {
        const std::filesystem::path path(At(relative));
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        std::ofstream out(path, std::ios::binary);
        EXPECT_TRUE(out.good()) << relative;
        out << std::string(bytes, 'x');
    }
    // Makes a symbolic link at `relative` to `target`.
    void Link(const std::string& target, const std::string& relative) const {
        EXPECT_EQ(symlink(target.c_str(), At(relative).c_str()), 0) << relative;
    }
    // Takes every permission off `relative` until the folder is removed.
    void Lock(const std::string& relative) {
        m_locked.push_back(At(relative));
        chmod(m_locked.back().c_str(), 0);
    }

private:
    QTemporaryDir m_dir;
    std::vector<std::string> m_locked;
};

// Whether the tests run as root, who reads folders without permissions anyway.
inline bool RunningAsRoot() {
    return geteuid() == 0;
}
