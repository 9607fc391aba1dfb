#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Disc.h"

class CKavrelDoc;
class DocumentGate;

class EntryStore;
class IMessages;
class QWidget;
namespace scan {
class DiscWalker;
struct WalkWatch;
}  // namespace scan

// Runs File > Create Image file for the main window: the dialog, the walk on a worker thread while a nested
// event loop keeps the window painted and a progress window offers Cancel, then the new disc. It holds the
// window's document gate while a walk is under way, so that no request that replaces, edits or refreshes
// the catalogue runs meanwhile and a disc always lands in the catalogue it was walked for.
class WalkRunner : public QObject {
    Q_OBJECT
public:
    // Works on `doc`; `messages` shows every message box; `gate`, where the window's requests wait, is held
    // during each walk (it and `doc` outlast every walk); `window` owns the dialogs and this object.
    WalkRunner(CKavrelDoc& doc, IMessages& messages, DocumentGate& gate, QWidget* window);
    ~WalkRunner() override;

    // Asks for a label and a drive, walks the disc and adds it to the catalogue ("Search finished!!!"). A
    // label that a disc of the catalogue carries is asked about first; a path that names nothing readable
    // is refused. Either way the dialog comes back as the person left it.
    void OnCreateImage();
    // Catalogues the image files `images`, one disc each: the labels are proposed unique, confirmed or
    // edited in one list (which comes back when a label is refused or a shared one not confirmed), one
    // progress window serves them all, and a summary tells what was added and what was refused. Cancel
    // keeps the discs already read and nothing of the one under way.
    void OnCatalogueImages(const std::vector<std::string>& images);
    // "Update Disc...": asks for the source (the drive dialog, holding the one the disc's details keep),
    // walks it as a new disc would be walked, shows what differs and on Apply puts the walk in place of
    // `disc`'s entries (scan::ApplyUpdate). A source that cannot be read is refused and asked for again;
    // nothing differing is said, and changes nothing. The disc as it now stands when it was updated, else
    // none.
    // A disc with checksums has them read again, so that the update keeps them.
    catalogue::Disc OnUpdateDisc(const catalogue::Disc& disc);
    // "Verify Disc...": asks for the source as OnUpdateDisc does, reads `disc` again (its files' bytes too
    // when it has checksums) with the progress window, then lists every file that is not the same and the
    // counts (scan::VerifyDisc); a cancelled verify lists what it had checked. Never changes the catalogue.
    void OnVerifyDisc(const catalogue::Disc& disc);
    // Stops the running walk; nothing of it reaches the catalogue.
    void Cancel();
    // Asked when the window is to close (the window manager's close button reaches the window during a walk
    // too): false when no walk runs, so it may close now. During a walk it asks once whether to stop
    // cataloguing; after a Yes the walk is stopped and `close` runs once it has ended. True while the window
    // must stay open.
    bool HoldsClose(std::function<void()> close);

    // Told, on the walking thread, of every folder a walk enters and of the entry count so far.
    void SetWalkListener(std::function<void(std::string_view folder, std::size_t entries)> listener) {
        m_walkListener = std::move(listener);
    }
    // Told, on the thread that reads them, of the bytes read for checksums so far and all there are to read.
    void SetByteListener(std::function<void(std::uint64_t read, std::uint64_t total)> listener) {
        m_byteListener = std::move(listener);
    }
    // How long a walk runs before its progress window shows; half a second unless a test says otherwise.
    void SetProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }

protected:
    // While a walk runs, drops the keys, clicks and shortcuts meant for the window: the progress window is
    // not modal, so that a close request from the window system still reaches the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // OnUpdateDisc without its guard against running out of memory.
    catalogue::Disc UpdateDisc(const catalogue::Disc& disc);
    // Asks for the source to read `disc` again from, proposing `source` (the dialog's ForVerify form when
    // `verify`, else ForUpdate), until one is named; false when the person cancelled.
    bool AskSource(const catalogue::Disc& disc, bool verify, std::string& source);
    // OnVerifyDisc once the source is named: false when it was refused (and said why), so it is asked again.
    bool VerifyFrom(const catalogue::Disc& disc, const std::string& source);
    // What a walk on the worker thread reports to the progress window.
    struct Progress;
    // What the walk's reading of checksums tells: the progress window and the byte listener.
    std::function<void(std::uint64_t, std::uint64_t)> ByteCounter(Progress& progress);
    // What a walk tells, folders and bytes, and the Cancel it heeds: the progress window and the listeners.
    scan::WalkWatch Watching(Progress& progress);
    bool Walk(scan::DiscWalker& walker, const std::string& drive, EntryStore& walked, const QString& title);
    // Runs `work` on a worker thread while a progress window titled `title` shows what `work` reports and
    // offers Cancel; with `images` above 0 its bar counts the images done. False when `work` did or the
    // person cancelled.
    bool RunWithProgress(const QString& title, const std::string& subject, std::size_t images,
                         const std::function<bool(Progress& progress)>& work);

    CKavrelDoc& m_doc;
    IMessages& m_messages;
    DocumentGate& m_gate;
    QWidget* m_pWindow;
    std::string m_strDiscLabel;    // the label of the disc being catalogued
    bool m_bWalking = false;       // from the start of a walk until its worker thread has ended
    bool m_bCloseWaiting = false;  // a close the user confirmed during a walk runs once the walk has ended
    std::atomic<bool> m_cancel{false};
    std::chrono::milliseconds m_progressDelay{500};
    bool m_bChecksums = false;  // "Record checksums" as last accepted, offered again for the session
    std::function<void(std::string_view, std::size_t)> m_walkListener;
    std::function<void(std::uint64_t, std::uint64_t)> m_byteListener;
};
