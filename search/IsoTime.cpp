#include "search/IsoTime.h"

#include "catalogue/EntryStore.h"

namespace search {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back: Howard Hinnant's
// algorithms, counted in 400-year eras so that every 64-bit time has its date.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

Civil CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsLeap(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned DaysIn(std::int64_t year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

void AppendDigits(std::uint64_t value, int width, std::string& out) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int pad = n; pad < width; ++pad) out.push_back('0');
    while (n > 0) out.push_back(digits[--n]);
}

// Reads `width` digits at `at`, moving past them; false when they are not all digits.
bool ReadDigits(std::string_view text, std::size_t& at, std::size_t width, unsigned& value) {
    if (text.size() - at < width) return false;
    value = 0;
    for (std::size_t end = at + width; at < end; ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
        value = value * 10 + static_cast<unsigned>(text[at] - '0');
    }
    return true;
}

bool ReadChar(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

}  // namespace

void AppendIsoTime(std::int64_t seconds, std::string& out) {
    if (seconds == EntryStore::kUnknownTime) return;
    // Floored, so that a time before 1970 falls on the day it belongs to.
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t second = seconds % kSecondsPerDay;
    if (second < 0) {
        second += kSecondsPerDay;
        --days;
    }
    const Civil date = CivilFromDays(days);
    if (date.year >= 0 && date.year <= 9999) {
        AppendDigits(static_cast<std::uint64_t>(date.year), 4, out);
    } else {
        out.push_back(date.year < 0 ? '-' : '+');
        AppendDigits(
            date.year < 0 ? 0 - static_cast<std::uint64_t>(date.year) : static_cast<std::uint64_t>(date.year),
            4, out);
    }
    out.push_back('-');
    AppendDigits(date.month, 2, out);
    out.push_back('-');
    AppendDigits(date.day, 2, out);
    out.push_back('T');
    AppendDigits(static_cast<std::uint64_t>(second / 3600), 2, out);
    out.push_back(':');
    AppendDigits(static_cast<std::uint64_t>(second / 60 % 60), 2, out);
    out.push_back(':');
    AppendDigits(static_cast<std::uint64_t>(second % 60), 2, out);
    out.push_back('Z');
}

std::string IsoTime(std::int64_t seconds) {
    std::string text;
    AppendIsoTime(seconds, text);
    return text;
}

std::optional<std::int64_t> ParseIsoTime(std::string_view text) {
    std::size_t at = 0;
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    if (!ReadDigits(text, at, 4, year) || !ReadChar(text, at, '-') || !ReadDigits(text, at, 2, month) ||
        !ReadChar(text, at, '-') || !ReadDigits(text, at, 2, day))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, month)) return std::nullopt;
    std::int64_t seconds = DaysFromCivil(year, month, day) * kSecondsPerDay;
    if (at == text.size()) return seconds;

    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    if (!ReadChar(text, at, 'T') || !ReadDigits(text, at, 2, hour) || !ReadChar(text, at, ':') ||
        !ReadDigits(text, at, 2, minute))
        return std::nullopt;
    if (ReadChar(text, at, ':') && !ReadDigits(text, at, 2, second)) return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    seconds += hour * 3600 + minute * 60 + second;
    if (at == text.size()) return seconds;
    if (text[at] == 'Z') return at + 1 == text.size() ? std::optional(seconds) : std::nullopt;

    // An offset says how far the given clock is ahead of UTC.
    const char sign = text[at++];
    unsigned offsetHours = 0;
    unsigned offsetMinutes = 0;
    if ((sign != '+' && sign != '-') || !ReadDigits(text, at, 2, offsetHours) || !ReadChar(text, at, ':') ||
        !ReadDigits(text, at, 2, offsetMinutes) || at != text.size() || offsetHours > 23 ||
        offsetMinutes > 59)
        return std::nullopt;
    const std::int64_t offset = offsetHours * 3600 + offsetMinutes * 60;
    return sign == '+' ? seconds - offset : seconds + offset;
}

}  // namespace search
