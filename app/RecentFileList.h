#pragma once

#include <QStringList>

class QSettings;

// The most recently opened or saved catalogues, most recent first, kept in the program's settings.
class RecentFileList {
public:
    static constexpr int kMaxEntries = 4;

    // Reads the list from `settings`, which must outlive this object.
    explicit RecentFileList(QSettings& settings);

    // The paths, most recent first; at most kMaxEntries.
    const QStringList& Paths() const { return m_paths; }
    bool IsEmpty() const { return m_paths.isEmpty(); }
    // Puts `path` (made absolute) at the top, dropping an older copy and the oldest beyond the limit.
    void Add(const QString& path);
    // Drops `path` from the list when it is there.
    void Remove(const QString& path);
    // Menu text of entry `index`: "&1 name", with the full path when two entries share a file name.
    QString MenuText(int index) const;

private:
    QSettings& m_settings;
    QStringList m_paths;

    void Store();
};
