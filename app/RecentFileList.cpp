#include "app/RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
// The group and key names the older program's framework used, so the layout stays familiar.
const QString kGroup = QStringLiteral("Recent File List");
QString KeyOf(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
}  // namespace

RecentFileList::RecentFileList(QSettings& settings) : m_settings(settings) {
    m_settings.beginGroup(kGroup);
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString path = m_settings.value(KeyOf(i)).toString();
        if (!path.isEmpty() && !m_paths.contains(path)) m_paths.append(path);
    }
    m_settings.endGroup();
}

void RecentFileList::Add(const QString& path) {
    const QString full = Normalised(path);
    m_paths.removeAll(full);
    m_paths.prepend(full);
    while (m_paths.size() > kMaxEntries) m_paths.removeLast();
    Store();
}

void RecentFileList::Remove(const QString& path) {
    if (m_paths.removeAll(path) + m_paths.removeAll(Normalised(path)) > 0) Store();
}

QString RecentFileList::MenuText(int index) const {
    if (index < 0 || index >= m_paths.size()) return {};
    const QString name = QFileInfo(m_paths[index]).fileName();
    int sameName = 0;
    for (const QString& other : m_paths) sameName += QFileInfo(other).fileName() == name ? 1 : 0;
    QString shown = sameName > 1 ? QDir::toNativeSeparators(m_paths[index]) : name;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

void RecentFileList::Store() {
    m_settings.beginGroup(kGroup);
    for (int i = 0; i < kMaxEntries; ++i) {
        if (i < m_paths.size())
            m_settings.setValue(KeyOf(i), m_paths[i]);
        else
            m_settings.remove(KeyOf(i));
    }
    m_settings.endGroup();
    m_settings.sync();
}
