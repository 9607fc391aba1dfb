#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/CCDContent.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FolderIndexCache.h"
#include "catalogue/Hints.h"
#include "docview/CDocument.h"

class IMessages;

// The one document: owns every catalogue entry, reads and writes ".cdi" files, and carries the
// exchange fields through which the views and the frame talk (see Hints.h).
class CKavrelDoc : public CDocument {
public:
    CKavrelDoc();

    // Where "Out of memory" is shown; may be null (then nothing is shown).
    void SetMessages(IMessages* messages) { m_pMessages = messages; }

    // --- Exchange fields, by the hint (Hints.h) that carries them ---
    std::string m_strDriveRoot;               // kLiveListing
    std::string m_strFoundKind;               // kResultRow
    std::int32_t m_nListRow = 0;              // kLiveRow
    std::array<std::string, 4> m_strListRow;  // kLiveRow: name, kind word, size text, "1" file / "0" folder
    std::string m_strLastLabel;               // kDiscAdded
    std::int32_t m_bResultRow = 0;            // kResultRow
    std::string m_strFoundName;               // kResultRow
    std::string m_strFoundLabel;              // kResultRow
    std::string m_strFoundPath;               // kResultRow
    std::string m_strFoundSize;               // kResultRow
    std::size_t m_nFoundRow = 0;              // kResultRow: the hit's entry, so a pick finds its own disc
    std::string m_strPickLabel;               // kPickDisc, kShowPickedDisc, kPickFolder, kShowPickedFolder
    std::string m_strPickName;                // the picked entry's name, to select its row; may be empty
    std::string m_strPickPath;                // the picked entry's path: the folder kPickFolder opens
    std::string m_strSelText;                 // kShowDisc, kShowFolder: the label of the disc
    // kShowDisc, kShowFolder: a row of that disc (its node's), so that of two discs with one label the
    // chosen one shows; catalogue::kAnyDisc for the first disc carrying the label.
    std::size_t m_nSelDisc = catalogue::kAnyDisc;
    // kPickDisc, kPickFolder and the kShowPicked* hints: a row of the picked disc, or kAnyDisc.
    std::size_t m_nPickDisc = catalogue::kAnyDisc;
    std::string m_strSelFolder;               // kShowFolder: the folder of that disc ("\DOCS\")
    std::array<std::string, 10> m_strDrives;  // optical drive roots from FindCdDrives; " " when unused

    // --- Entries ---
    // Number of entries, deleted ones included.
    std::size_t GetEntryCount() const { return m_arrEntries.Size(); }
    // The entry at `index`; null when the index is out of range (so also on an empty catalogue).
    CCDContent GetEntryAt(std::size_t index);
    CCDContent GetFirstEntry();
    CCDContent GetLastEntry();
    // Appends an empty entry and marks the document modified; null (after "Out of memory") on exhaustion.
    CCDContent AddNewEntry();
    // Appends a filled entry and marks the document modified; false (after "Out of memory") on exhaustion.
    bool AppendEntry(std::string_view label, std::string_view name, std::string_view kind,
                     std::string_view path, std::string_view size);
    // Label of the first entry; empty when the catalogue is empty.
    std::string GetFirstLabel() const;
    // Direct access to the storage, for scans that must not copy (search, lists, tree build).
    const EntryStore& Entries() const { return m_arrEntries; }
    // Access that may change entries: the folder indexes built so far are dropped. A name of its own, so
    // that a read through a non-const document never drops them.
    EntryStore& EditEntries() {
        m_folderIndexes.Clear();
        return m_arrEntries;
    }
    // The folders of `disc` (see catalogue::DiscFor), for browsing it folder by folder: built in one pass on
    // first use and kept until the entries change.
    std::shared_ptr<const catalogue::FolderIndex> Folders(const catalogue::Disc& disc) const {
        return m_folderIndexes.Get(m_arrEntries, disc);
    }

    // --- What the catalogue knows of its discs beyond their entries ---
    const catalogue::DiscRecords& DiscRecords() const { return m_discRecords; }
    catalogue::DiscRecords& EditDiscRecords() { return m_discRecords; }
    // The record of `disc`; null when it has none.
    const catalogue::DiscRecord* RecordOf(const catalogue::Disc& disc) const {
        return disc.entries ? m_discRecords.Find(disc.first) : nullptr;
    }

    // Fills m_strDrives from slot 0 with the optical drive roots (at most ten); true when any was found.
    bool FindCdDrives();

    // --- Files ---
    // Writes the whole catalogue in the ".cdi" layout to `out`.
    void Serialize(std::string& out) const;
    // Clears the contents (DeleteContents) and the path: a new, untitled, unmodified catalogue.
    bool OnNewDocument();
    // Opens a ".cdi" file. On failure the catalogue is left empty and untitled when the file was read
    // and proved bad, or untouched when it could not be opened; `error` says why, naming the file.
    bool OnOpenDocument(const std::string& path, std::string& error);
    // What the last successful open could not read and left out, naming the file (a damaged block of dates
    // and disc details); empty when it read everything.
    const std::string& OpenWarning() const { return m_strOpenWarning; }
    // Saves atomically (temporary file beside the target, flushed, renamed over it). On failure the old
    // file is intact, the document stays modified, and `error` says why.
    bool OnSaveDocument(const std::string& path, std::string& error);
    // Empties the entry array and the disc records; exchange fields and the drive list are left alone.
    void DeleteContents() override;

private:
    EntryStore m_arrEntries;
    catalogue::DiscRecords m_discRecords;
    std::string m_strOpenWarning;
    // Every member that hands out entries to change, or changes them, clears it.
    mutable catalogue::FolderIndexCache m_folderIndexes;
    IMessages* m_pMessages = nullptr;

    void ReportOutOfMemory();
};
