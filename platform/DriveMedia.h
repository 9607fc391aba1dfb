#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Drives.h"

namespace platform {

// What an optical drive holds now, as the watch for arriving discs sees it.
struct DriveMedium {
    std::string root;    // "E:\"
    std::string device;  // "/dev/sr0"; empty for a mapped drive
    // What the disc is read from: the mapped folder or image, the folder the desktop mounted the disc on, or
    // (Linux) the device itself, read as an image, when nobody mounted it. Empty while the drive holds no
    // disc or cannot be read.
    std::string source;
    // Tells one disc from the next in the same drive: it changes when a disc is taken out and another put
    // in, even when nobody saw the drive empty in between. Empty while there is no disc.
    std::string identity;
    // Why the drive cannot be looked at or read (the system's reason: no permission on the device); empty
    // otherwise. A drive with a problem has no source.
    std::string problem;
    bool mounted = false;  // the desktop mounted the disc: `source` is its mount point

    bool HasDisc() const { return !source.empty(); }
};

// Every optical drive of the machine (OpticalDrives, in its order), each looked at now.
// A look at a drive of the machine asks the drive, not the disc: whether it holds one and its table of
// contents, which the drive answers from its own memory. The disc itself is read once, when a new one is
// first seen. Such a look usually takes well under a millisecond, but a drive that is spinning a disc up, or
// one that hangs, can hold it for seconds (up to the kernel's command timeout): whoever must never stall
// looks from a thread of its own.
std::vector<DriveMedium> LookAtDrives();
// One drive looked at now: a mapped drive holds a disc while its folder or image exists and has not changed
// for a moment (one still being copied in is not yet a disc); a drive of the machine while the device
// reports a disc in it whose table of contents can be read (a disc still spinning up is not yet a disc).
DriveMedium LookAtDrive(const OpticalDrive& drive);

// Opens the tray of `drive`, which must be let go of first when the desktop mounted it. Empty when done, else
// the reason. A mapped drive has no tray: nothing happens and it is done.
// Linux: whether the disc is mounted is read from the mount table now, not taken from the look. A disc the
// desktop mounted is let go of through the desktop's disk service (UDisks2 on the system bus), which is
// given a deadline and never asks anyone for a password; those calls wait for their replies, so no event
// loop need run and no QCoreApplication need exist. A tray that some program holds is asked again for about
// two seconds. An eject can thus take seconds.
std::string EjectDisc(const DriveMedium& drive);

// Wakes a watcher when a drive's medium may have changed, so that it looks again at once instead of at its
// next round. Linux: the kernel's media-change events of optical drives (libudev) and changes of the mount
// table. A watcher still looks at the drives now and then: notices can be missed, and mapped drives send
// none.
class MediaNotices {
public:
    virtual ~MediaNotices() = default;
    // A descriptor that becomes readable when something may have changed; for poll() or a QSocketNotifier.
    virtual int Fd() const = 0;
    // Reads what made Fd() readable, so that it waits again.
    virtual void Drain() = 0;
    // After Drain: whether what it read may concern an optical drive. Other disks and other mounts wake the
    // descriptor too; a watcher may then skip its look.
    virtual bool Relevant() const { return true; }
};
// The system's notices; null where none can be had (no udev, Windows, where WM_DEVICECHANGE serves).
std::unique_ptr<MediaNotices> CreateMediaNotices();

// The device side, separate so that each system has its own: what a drive of the machine (not a mapped one)
// holds now, and its tray.
// Linux: a device the user may not open is a problem (on Debian the `cdrom` group gives access), unless the
// desktop mounted its disc, which is then read through the mount point. Windows: a drive holds a disc while
// the system reads a volume on it; there is no device path.
DriveMedium LookAtDevice(const OpticalDrive& drive);
std::string EjectDevice(const DriveMedium& drive);

#ifndef _WIN32
// What a drive reports of the disc in it: its table of contents.
struct DiscToc {
    int firstTrack = 0;
    int lastTrack = 0;
    bool dataFirst = false;  // the first track holds data, not music
    long leadOut = 0;        // the block where the last track ends
    long lastSession = 0;    // the block where the last session starts: 0 on a disc of one session

    bool operator==(const DiscToc&) const = default;
};
// A disc's file system as libblkid names it; empty where none was found.
struct DiscNames {
    std::string uuid;
    std::string label;
};
// The look at `drive` made from what the drive reports: `toc` is none while it holds no disc or cannot read
// its table of contents yet. `probe` reads the disc's names; it is called only for a disc that starts with
// data and is new to the device (another table of contents, or the drive was seen without one since), so
// that looking again and again does not read the disc. Separate from LookAtDevice so that it can be
// checked without a drive.
DriveMedium MediumOfToc(const OpticalDrive& drive, const std::optional<DiscToc>& toc,
                        const std::function<DiscNames()>& probe);
// Whether the block device `device` is mounted according to the mountinfo file at `mountInfo`.
bool DeviceMounted(const std::string& device, const std::string& mountInfo);
#endif

}  // namespace platform
