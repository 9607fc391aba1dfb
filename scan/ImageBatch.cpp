#include "scan/ImageBatch.h"

#include <algorithm>
#include <filesystem>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/FormatSize.h"
#include "platform/Volume.h"
#include "platform/VolumeLabel.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscDetails.h"
#include "scan/DiscWalker.h"

namespace scan {

namespace {

constexpr const char* kNotAnImage = "not a disc image file";

}  // namespace

std::string DefaultImageLabel(const std::string& path) {
    std::string label = platform::VolumeLabel(path);
    if (!label.empty()) return label;
    return std::filesystem::path(path).stem().string();
}

std::vector<ImageJob> ImageJobs(const EntryStore& store, const std::vector<std::string>& paths) {
    std::vector<ImageJob> jobs(paths.size());
    std::vector<std::string> taken;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        jobs[i].path = paths[i];
        jobs[i].label = catalogue::UniqueLabel(store, DefaultImageLabel(paths[i]), taken);
        taken.push_back(jobs[i].label);
    }
    return jobs;
}

bool WalkImages(std::vector<ImageJob>& jobs, const std::atomic<bool>* cancel,
                const std::function<void(std::size_t, std::size_t)>& progress, bool checksums,
                const std::function<void(std::uint64_t, std::uint64_t)>& bytes) {
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (cancel && cancel->load()) return false;
        ImageJob& job = jobs[i];
        job.entries = EntryStore{};
        job.record = {};
        job.problem.clear();
        job.walked = false;
        if (progress) progress(i, 0);
        if (!IsLabelAccepted(job.label)) {
            job.problem = kBadLabelMessage;
            continue;
        }
        // Reading a big image takes most of the time: its items are counted as they are read, and the walk
        // that follows counts on from there rather than from 0.
        std::size_t read = 0;
        const platform::VolumeFolder image = platform::OpenVolume(job.path, cancel, [&](std::size_t items) {
            read = items;
            if (progress) progress(i, items);
        });
        if (cancel && cancel->load()) return false;
        if (image.image.empty()) {
            // A folder is a disc of its own only where a drive or a typed path is asked for.
            job.problem = image ? kNotAnImage : image.problem;
            continue;
        }
        if (!image) {
            job.problem = image.problem;
            continue;
        }
        DiscWalker walker(job.label);
        walker.SetCancelFlag(cancel);
        walker.SetChecksums(checksums);
        if (bytes) walker.SetByteProgress(bytes);
        if (progress)
            walker.SetProgress(
                [&](std::string_view, std::size_t entries) { progress(i, std::max(read, entries)); });
        if (!walker.Walk(image, job.path, job.entries)) {
            job.entries = EntryStore{};
            return false;
        }
        if (walker.RanOutOfMemory()) {
            job.entries = EntryStore{};
            job.problem = "Out of memory";
            continue;
        }
        job.walked = true;
        job.mendedNames = image.mendedNames;
        job.record = ReadDiscRecord(job.path);
    }
    return true;
}

ImageBatchResult AddImageDiscs(CKavrelDoc& doc, const std::vector<ImageJob>& jobs) {
    ImageBatchResult result;
    for (const ImageJob& job : jobs) {
        if (!job.walked) continue;
        result.entries += AppendWalked(doc, job.entries, job.record);
        ++result.discs;
        AnnounceDisc(doc, job.label);
    }
    return result;
}

std::string ImageBatchSummary(const std::vector<ImageJob>& jobs, const ImageBatchResult& result) {
    std::string text = "Disc images catalogued: " + catalogue::FormatCount(result.discs, "disc", "discs") +
                       " with " + catalogue::FormatCount(result.entries, "entry", "entries") + " added.";
    std::string refused;
    std::string mended;
    std::size_t left = 0;
    for (const ImageJob& job : jobs) {
        if (job.walked && job.mendedNames > 0)
            mended += "\n" + job.path + ": " + catalogue::FormatCount(job.mendedNames, "name", "names");
        if (!job.problem.empty())
            refused += "\n" + job.path + ": " + job.problem;
        else if (!job.walked)
            ++left;
    }
    if (!mended.empty())
        text += "\n\nNames that could not be read, kept with U+FFFD in their place:" + mended;
    if (!refused.empty()) text += "\n\nNot catalogued:" + refused;
    if (result.cancelled && left > 0)
        text +=
            "\n\nCancelled: " + catalogue::FormatCount(left, "image was", "images were") + " not catalogued.";
    return text;
}

}  // namespace scan
