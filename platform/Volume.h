#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/DirectoryListing.h"
#include "platform/FileData.h"
#include "platform/Location.h"

namespace platform {

// One disc's file system as the walk and the live listings see it, listed one folder at a time: a mounted
// folder or an image file.
class Volume {
public:
    virtual ~Volume() = default;
    // Lists the folder `parts` (names below the volume's top; none for the top) in the volume's order, as
    // ListFolder does: "." and ".." first below the top, never at it. False, having reported nothing, when
    // there is no such folder or it cannot be read.
    virtual bool ListFolder(std::span<const std::string> parts,
                            const std::function<void(const DirItem&)>& visit) const = 0;
    // Reads the bytes of the files `paths` (below the volume's top), each handed to `sink` as FileSink
    // says, in the order the volume reads best. False when `cancel` stopped it.
    virtual bool ReadFiles(std::span<const FilePath> paths, FileSink& sink,
                           const std::atomic<bool>* cancel) const = 0;
};

// What a drive text or path names, opened: the volume and the folder in it to start from.
struct VolumeFolder {
    std::shared_ptr<const Volume> volume;  // null when nothing readable is named
    std::vector<std::string> parts;        // the folder inside the volume ("E:\DOCS\" gives {"DOCS"})
    std::string image;                     // the image file, when the text names one (opened or not)
    std::string problem;                   // why nothing could be opened: for an image, the library's reason
    std::size_t mendedNames = 0;           // names in the image kept with U+FFFD (see ImageVolume)

    // True when there is something to list.
    explicit operator bool() const { return volume != nullptr; }
};

// Opens what `where` names, a drive or (on Linux) a path, to a folder or an image file. A drive whose map
// names an image file, or a path to a regular file or a block device, is read as a disc image; anything else
// (a named pipe, a socket, a character device) is refused at once, naming what it is, and never opened. The
// last image files read are kept while they do not change on disk, so that browsing one does not read it
// again. `cancel`, when given, stops the reading of an image; `progress`, when given, is told the number of
// files and folders read so far as an image is read (a kept image is not read again, and tells nothing).
VolumeFolder OpenVolume(const Location& where, const std::atomic<bool>* cancel = nullptr,
                        const std::function<void(std::size_t items)>& progress = {});
// Opens a drive text ("E:\", "E:\DOCS\..\") or a path as OpenVolume of its Location does.
VolumeFolder OpenVolume(const std::string& driveText, const std::atomic<bool>* cancel = nullptr,
                        const std::function<void(std::size_t items)>& progress = {});

}  // namespace platform
