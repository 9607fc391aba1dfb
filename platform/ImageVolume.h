#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Volume.h"

namespace platform {

struct ImageSource;

// A disc image file (ISO 9660, with Rock Ridge or Joliet names) read as a volume: its whole directory tree
// is read once, without any file's data, and every folder is listed from memory after that.
class ImageVolume : public Volume {
public:
    // Reads the directory tree of the image file (or block device) `path`. Null, with `problem` set to the
    // library's reason, when it cannot be read as a disc image; null with an empty `problem` when `cancel`
    // stopped it. A name that cannot be decoded is kept with U+FFFD in place of what cannot be read.
    // `progress`, when given, is told the number of files and folders read so far after each of them.
    static std::shared_ptr<const ImageVolume> Read(const std::string& path, std::string& problem,
                                                   const std::atomic<bool>* cancel = nullptr,
                                                   const std::function<void(std::size_t)>& progress = {});

    // Lists a folder in the order the library returned its items (by their place in the image: folders,
    // then files, in most images), "." and ".." first below the top.
    bool ListFolder(std::span<const std::string> parts,
                    const std::function<void(const DirItem&)>& visit) const override;

    // Reads the files in one pass through the image, in the image's order. A file the image does not hold
    // ends Unreadable; a second name of a file (a hard link) ends NotRead.
    bool ReadFiles(std::span<const FilePath> paths, FileSink& sink,
                   const std::atomic<bool>* cancel) const override;

    // How many files and folders the image holds.
    std::size_t ItemCount() const { return m_items.size(); }
    // How many names could not be decoded and were kept with U+FFFD in place of what could not be read.
    std::size_t MendedNames() const { return m_mendedNames; }

private:
    struct Item {
        std::size_t nameOffset;
        std::uint32_t nameLength;
        std::uint32_t attributes;
        std::uint64_t size;
        std::int64_t folder;    // the index of its listing when a folder, else -1
        std::int64_t modified;  // kUnknownTime when the image does not say
    };

    ImageVolume();
    // One reading of the tree from the image source (see the .cpp); sets `unreadableName` and gives null
    // when a name could not be converted and the source mends none.
    static std::shared_ptr<ImageVolume> ReadTree(ImageSource& from, const std::atomic<bool>* cancel,
                                                 const std::function<void(std::size_t)>& progress,
                                                 std::string& problem, bool& unreadableName);
    // The listing of folder `path` ("" for the top, "DOCS/SUB"), made with its item when it is new; a
    // known `modified` becomes the folder's time, as the folder may have been made for an item inside it.
    std::size_t FolderAt(std::string_view path, std::int64_t modified = kUnknownTime);
    // Adds the item at `path` to the listing of its folder.
    void AddItem(std::string_view path, std::uint32_t attributes, std::uint64_t size, std::int64_t folder,
                 std::int64_t modified);
    // The size of the file at `path`; 0 when there is none.
    std::uint64_t SizeOf(std::string_view path) const;
    std::string_view NameOf(const Item& item) const {
        return {m_names.data() + item.nameOffset, item.nameLength};
    }

    std::string m_names;
    std::vector<Item> m_items;
    std::vector<std::vector<std::size_t>> m_listings;          // item indexes per folder, the top first
    std::vector<std::size_t> m_folderItems;                    // each listing's own item (none for the top)
    std::unordered_map<std::string, std::size_t> m_listingOf;  // a folder's path to its listing
    std::size_t m_mendedNames = 0;
    std::string m_strPath;  // the image file, read again for the files' bytes
};

}  // namespace platform
