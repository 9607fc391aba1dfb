#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "catalogue/EntryStore.h"

namespace cli {

class CommandLine;

// The three forms a listing takes: tab-separated text for people (the default), JSON lines (--json) and
// CSV (--csv).
enum class Form { Text, Json, Csv };

// The form the flags ask for (CheckArguments has already refused --json with --csv).
Form FormOf(const CommandLine& args);

// One listing on stdout, a record per entry, disc or copy, in the form asked for: text fields escaped so
// one line is one record, JSON objects keyed by the column names, or CSV with those names as its header.
class Listing {
public:
    // A column: its key (the JSON key and the CSV heading) and whether the text form shows it.
    struct Column {
        std::string_view key;
        bool inText = true;
    };
    // A value that is not known: null in JSON, an empty field elsewhere.
    struct Null {};
    // A time in seconds since 1970 UTC, written in ISO 8601; EntryStore::kUnknownTime is a Null.
    struct Time {
        std::int64_t seconds;
    };
    // A cell: absent (no JSON key, an empty field elsewhere), catalogue bytes, a count, unknown, or a time.
    using Value = std::variant<std::monostate, std::string_view, std::uint64_t, Null, Time>;
    // How the text form lays out a record: one line of fields, or for a listing of one record, a line per
    // field holding its key and its value.
    enum class Layout { Lines, Fields };

    // The columns of a listing of entries: `leading` ones, then an entry's index, label, name, kind, path,
    // size and modification time, those named in `hiddenInText` left out of the text form.
    static std::vector<Column> EntryColumns(std::initializer_list<std::string_view> hiddenInText,
                                            std::initializer_list<Column> leading = {});

    // Starts the listing; the CSV header row is written at once, so even an empty listing has one.
    Listing(Form form, std::vector<Column> columns, Layout layout = Layout::Lines);

    // Writes one record: `values` go with the columns, in order.
    void Row(std::initializer_list<Value> values);
    void Row(std::span<const Value> values);
    // Writes the record of entry `i` under EntryColumns: the `leading` values, then the entry's.
    void EntryRow(const EntryStore& entries, std::size_t i, std::initializer_list<Value> leading = {});
    // Starts a group of records: in the text form a blank line parts it from the one before.
    void StartGroup();

private:
    // Writes one record of Row or EntryRow in the listing's form.
    void Write(std::span<const Value> values);
    void WriteText(std::span<const Value> values);
    void WriteFields(std::span<const Value> values);
    void WriteJson(std::span<const Value> values);
    void WriteCsv(std::span<const Value> values);

    Form m_form;
    std::vector<Column> m_columns;
    Layout m_layout;
    std::string m_line;           // reused for every record
    std::vector<Value> m_values;  // reused for every entry's record
    bool m_bWritten = false;
};

}  // namespace cli
