#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "docview/CView.h"
#include "docview/Messages.h"

// Disc trees in a temporary folder and drive maps pointing at them, for the platform, walk and dialog tests.
namespace scantest {

// Sets TAMBEROL_DRIVES for one test and puts back what was there before.
class DriveMap {
public:
    explicit DriveMap(const std::string& map) {
        if (const char* old = std::getenv("TAMBEROL_DRIVES")) m_old = old;
        setenv("TAMBEROL_DRIVES", map.c_str(), 1);
    }
    ~DriveMap() {
        if (m_old)
            setenv("TAMBEROL_DRIVES", m_old->c_str(), 1);
        else
            unsetenv("TAMBEROL_DRIVES");
    }
    DriveMap(const DriveMap&) = delete;
    DriveMap& operator=(const DriveMap&) = delete;

private:
    std::optional<std::string> m_old;
};

// A temporary folder that serves as a disc: files and folders are made with paths relative to it.
class DiscTree {
public:
    DiscTree() { EXPECT_TRUE(m_dir.isValid()); }
    ~DiscTree() {
        // Folders a test made unreadable must become readable again for the clean-up.
        for (const std::string& folder : m_locked) chmod(folder.c_str(), 0755);
        // Qt cannot name files whose names are not UTF-8; the standard library removes them all, and
        // like Qt it removes symbolic links rather than what they point to.
        std::error_code ignored;
        std::filesystem::remove_all(Root(), ignored);
    }

    std::string Root() const { return m_dir.path().toStdString(); }
    std::string At(const std::string& relative) const { return Root() + "/" + relative; }

    void Folder(const std::string& relative) const {
        EXPECT_EQ(mkdir(At(relative).c_str(), 0755), 0) << relative;
    }
    void File(const std::string& relative, std::size_t bytes = 0) const {
        std::ofstream out(At(relative), std::ios::binary);
        EXPECT_TRUE(out.good()) << relative;
        out << std::string(bytes, 'x');
    }
    void Link(const std::string& target, const std::string& relative) const {
        EXPECT_EQ(symlink(target.c_str(), At(relative).c_str()), 0) << relative;
    }
    void Lock(const std::string& relative) {
        m_locked.push_back(At(relative));
        chmod(m_locked.back().c_str(), 0);
    }

private:
    QTemporaryDir m_dir;
    std::vector<std::string> m_locked;
};

inline bool RunningAsRoot() {
    return geteuid() == 0;
}

// Answers every message box with OK and remembers its text.
class RecordingMessages : public IMessages {
public:
    msg::Answer Show(const msg::Request& request) override {
        texts.push_back(request.text);
        captions.push_back(request.caption);
        return msg::Answer::Ok;
    }
    std::vector<std::string> texts;
    std::vector<std::string> captions;
};

// Remembers the hints it was sent and what m_strLastLabel held at each.
class RecordingView : public CView {
public:
    explicit RecordingView(CKavrelDoc& doc) : m_doc(doc) { SetDocument(&doc); }
    void OnUpdate(CView* sender, int hintNumber) override {
        hints.push_back(hintNumber);
        senders.push_back(sender);
        labels.push_back(m_doc.m_strLastLabel);
    }
    std::vector<int> hints;
    std::vector<CView*> senders;
    std::vector<std::string> labels;

private:
    CKavrelDoc& m_doc;
};

}  // namespace scantest
