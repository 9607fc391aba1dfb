#pragma once

#include <string>

#include "platform/Volume.h"

namespace platform {

// A volume that is a folder of the system: a mounted disc, or a folder catalogued as one.
class FolderVolume : public Volume {
public:
    // The volume whose top is the system folder `top`.
    explicit FolderVolume(std::string top) : m_strTop(std::move(top)) {}

    // Lists a folder below the top without following symbolic links on the way down.
    bool ListFolder(std::span<const std::string> parts,
                    const std::function<void(const DirItem&)>& visit) const override {
        return ListFolderBelow(m_strTop, parts, visit);
    }
    bool ReadFiles(std::span<const FilePath> paths, FileSink& sink,
                   const std::atomic<bool>* cancel) const override {
        return ReadFolderFiles(m_strTop, paths, sink, cancel);
    }

private:
    std::string m_strTop;
};

}  // namespace platform
