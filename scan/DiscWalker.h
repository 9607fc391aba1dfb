#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "catalogue/EntryStore.h"

namespace scan {

// Walks a disc depth-first in pre-order and appends one entry per file and folder: a folder's entry comes
// right before the entries of its contents. Runs without a display, on any thread.
class DiscWalker {
public:
    // `label` is copied into every entry.
    explicit DiscWalker(std::string label);

    // Checked between items; when it becomes true the walk stops and Walk returns false.
    void SetCancelFlag(const std::atomic<bool>* cancel) { m_pCancel = cancel; }
    // Called (on the walking thread) as each folder is entered, with its drive text and the count so far.
    void SetProgress(std::function<void(std::string_view folder, std::size_t entries)> progress) {
        m_progress = std::move(progress);
    }

    // Walks `drive` (a drive text such as "E:\" or "E:", or on Linux an absolute folder) and appends the
    // entries to `out`. Returns false when cancelled; `out` then holds what was walked so far.
    bool Walk(const std::string& drive, EntryStore& out);

    // The recursive step: lists folder `folder` (a drive text ending in a backslash once normalised).
    void WalkFolder(std::string folder, EntryStore& out);

private:
    std::string m_strDiscLabel;
    const std::atomic<bool>* m_pCancel = nullptr;
    std::function<void(std::string_view, std::size_t)> m_progress;
    bool m_bCancelled = false;
};

}  // namespace scan
