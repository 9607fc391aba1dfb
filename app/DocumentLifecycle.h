#pragma once

#include <QString>
#include <functional>
#include <string>

class CKavrelDoc;
class IFileDialogs;
class IMessages;
class RecentFileList;

// New, Open, Save, Save As, the recent files and the save prompt of the one catalogue, without widgets:
// every question goes through IMessages and IFileDialogs.
class DocumentLifecycle {
public:
    static constexpr const char* kExtension = ".cdi";

    DocumentLifecycle(CKavrelDoc& doc, IMessages& messages, IFileDialogs& dialogs, RecentFileList& recent);

    // Called after New, Open and Save, whose file the recent-file list may have taken up (the document
    // itself tells the window's title of a new name or state).
    void SetOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }

    // Asks whether to save a modified catalogue; true when the caller may go on and drop it.
    bool SaveModified();
    // File > New: after the prompt, an untitled empty catalogue and fresh views.
    bool FileNew();
    // File > Open...: the open dialog, then the prompt, then the chosen file.
    bool FileOpen();
    // Opens `path` after the prompt (recent files, drops, a second instance); true when it opened.
    bool OpenDocumentFile(const std::string& path);
    // Opens recent entry `index`; a file that is gone is reported and dropped from the list.
    bool OpenRecentFile(int index);
    // Opens the recent file `path` the same way (a copy: saving first reorders the list it may come from).
    bool OpenRecentFile(QString path);
    // Opens the file named on the command line (nothing to lose yet, so no prompt); false after the report.
    bool OpenAtStart(const std::string& path);
    // File > Save: writes to the catalogue's file, asking for a name when it has none.
    bool FileSave();
    // File > Save As...: asks for a name (".cdi" added when missing) and writes there.
    bool FileSaveAs();

private:
    enum class Opened { Yes, Unreadable, Bad };

    CKavrelDoc& m_doc;
    IMessages& m_messages;
    IFileDialogs& m_dialogs;
    RecentFileList& m_recent;
    std::function<void()> m_onChanged;

    Opened Open(const std::string& path);
    bool SaveTo(const std::string& path);
    void Reinitialise();
    void Changed();
    void Report(const std::string& text);
};
