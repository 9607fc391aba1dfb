#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"

class CKavrelDoc;

// Cataloguing many disc image files at once, headless, so that File > "Catalogue Disc Images...", a drop
// of image files and tamberol-cli share it: each image becomes one disc.
namespace scan {

// One image file to catalogue, and how it went.
struct ImageJob {
    std::string path;              // the image file, as given
    std::string label;             // the label its disc gets
    EntryStore entries;            // its entries, once walked
    catalogue::DiscRecord record;  // what was read of its disc, once walked
    std::string problem;           // why it was refused (the library's reason); empty otherwise
    bool walked = false;           // true once it was read to its end
    // The names that could not be read and were kept with U+FFFD in place of what could not be read.
    std::size_t mendedNames = 0;
};

// How a batch ended.
struct ImageBatchResult {
    std::size_t discs = 0;    // discs added
    std::size_t entries = 0;  // entries added
    bool cancelled = false;   // stopped before every image was tried
};

// The label an image's disc gets unless the person gives another: the image's volume label, else the
// file's name without its extension.
std::string DefaultImageLabel(const std::string& path);

// One job per path, labelled by DefaultImageLabel made unique (catalogue::UniqueLabel) among the discs of
// `store` and the jobs before it, so that no new disc merges with another: "CDROM", "CDROM (2)", ...
std::vector<ImageJob> ImageJobs(const EntryStore& store, const std::vector<std::string>& paths);

// Reads and walks the images in turn. A job whose path is no readable image (a folder, a file of another
// kind, a damaged image) or whose label is refused keeps no entries and gets its problem. Stops when
// `cancel` turns true: the image under way then keeps nothing. `progress` is told the job under way and
// the entries of that image so far, as its items are read and as it is walked. Returns false when
// cancelled.
// With `checksums`, every file of every image is read and its checksum kept (DiscWalker::SetChecksums);
// `bytes` is then told the bytes of the image under way read so far and their total, on the thread that
// reads them.
bool WalkImages(std::vector<ImageJob>& jobs, const std::atomic<bool>* cancel,
                const std::function<void(std::size_t job, std::size_t entries)>& progress = {},
                bool checksums = false,
                const std::function<void(std::uint64_t read, std::uint64_t total)>& bytes = {});

// Adds every walked job to the document in order, each as a disc of its own (hint::kDiscAdded each).
ImageBatchResult AddImageDiscs(CKavrelDoc& doc, const std::vector<ImageJob>& jobs);

// What the person is told at the end: discs and entries added, the files refused and why, the images
// with names kept with U+FFFD, and how many were left when the batch was cancelled.
std::string ImageBatchSummary(const std::vector<ImageJob>& jobs, const ImageBatchResult& result);

}  // namespace scan
