#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

// Catalogue bytes to what people see and back. Shown: valid UTF-8 as is, anything else as Windows-1252.
// Typed: stored as UTF-8.
QString ToQString(std::string_view bytes);
std::string FromQString(const QString& text);

// A time, in seconds since 1970 UTC, as people here read it: the local time in the locale's short date and
// time. Empty for EntryStore::kUnknownTime and times no calendar holds.
QString DateTimeText(std::int64_t secondsUtc);
