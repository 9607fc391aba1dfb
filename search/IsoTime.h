#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Times as scripts exchange them: ISO 8601 in UTC. The catalogue keeps seconds since 1970-01-01 UTC
// (EntryStore::kUnknownTime when not known); these turn them into text and back.
namespace search {

// Appends "2019-06-01T12:00:00Z". Years past 0000-9999 take the expanded form with a sign ("+10000-...",
// "-0001-..."), so that no stored value, however odd, comes out wrong. Appends nothing for an unknown time.
void AppendIsoTime(std::int64_t seconds, std::string& out);
std::string IsoTime(std::int64_t seconds);

// The time a person gives: a date "2019-06-01" (its first second, UTC) or a date and time
// "2019-06-01T12:00", "2019-06-01T12:00:00", with "Z", "+02:00" or "-05:30" after it (UTC when none).
// Nothing for anything else, a day that the month lacks included.
std::optional<std::int64_t> ParseIsoTime(std::string_view text);

}  // namespace search
