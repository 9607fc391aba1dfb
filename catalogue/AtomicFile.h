#pragma once

#include <memory>
#include <string>
#include <string_view>

// Replaces a file all at once: the new bytes go to a temporary file beside it, which is flushed to the
// disc and renamed over the old one, so the old file stays whole until the new one is. On Linux the
// temporary file has no name until it is complete (O_TMPFILE), so a save that is killed leaves nothing
// behind; where it must have one, a save removes those that saves of the same file left when their process
// died. Every failure keeps the system's reason and the step that failed.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    // Removes the temporary file unless Commit() succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false with Error() set when it cannot be created.
    bool Open();
    // Appends bytes to the temporary file; false with Error() set when they cannot all be written.
    bool Write(std::string_view bytes);
    // Flushes the temporary file to the disc and renames it over the target; false with Error() set.
    bool Commit();
    // The system's reason for the first failure and the step it stopped, e.g. "No space left on device
    // (while writing)"; empty while nothing failed.
    const std::string& Error() const { return m_error; }

    // The call that flushes the new file to the disc (fsync, given the descriptor; 0 for done, else -1
    // with errno set), so that tests can make it fail; nullptr restores the system's.
    static void SetFlushForTests(int (*flush)(int fd));

private:
    struct Native;

    bool Fail(std::string_view step, const std::string& reason);

    std::string m_path;
    std::string m_error;
    std::unique_ptr<Native> m_native;
};
