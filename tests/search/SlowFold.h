#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <string>
#include <string_view>

// The slow twin of casefold::FoldText, for the differential tests of the search and of the duplicates.
// The obvious folding: UTF-8 decoded by Qt, each character replaced by the first character of its own
// lower-case form; anything that is not UTF-8 has only its ASCII letters lowered.
inline std::string SlowFold(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    std::string folded;
    if (decoder.hasError()) {
        for (char c : bytes) folded += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        return folded;
    }
    QString lower;
    for (const char32_t c : text.toUcs4()) {
        const QList<uint> form = QStringView(QChar::fromUcs4(c)).toString().toLower().toUcs4();
        lower += QStringView(QChar::fromUcs4(form.isEmpty() ? c : form.front())).toString();
    }
    const QByteArray utf8 = lower.toUtf8();
    return {utf8.constData(), std::size_t(utf8.size())};
}
