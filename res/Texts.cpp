#include "res/Texts.h"

#include <QDateTime>
#include <QLocale>

#include "catalogue/DisplayText.h"
#include "catalogue/EntryStore.h"

QString ToQString(std::string_view bytes) {
    if (catalogue::IsAscii(bytes) || catalogue::IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::string utf8 = catalogue::ToDisplayUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQString(const QString& text) {
    return text.toUtf8().toStdString();
}

QString DateTimeText(std::int64_t secondsUtc) {
    if (secondsUtc == EntryStore::kUnknownTime) return {};
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(secondsUtc, Qt::UTC);
    if (!utc.isValid()) return {};
    return QLocale::system().toString(utc.toLocalTime(), QLocale::ShortFormat);
}
