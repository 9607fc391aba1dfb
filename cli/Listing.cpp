#include "cli/Listing.h"

#include <algorithm>
#include <charconv>
#include <iostream>

#include "catalogue/DisplayText.h"
#include "catalogue/TextForms.h"
#include "cli/CommandLine.h"
#include "search/IsoTime.h"

namespace cli {

namespace {

void AppendNumber(std::uint64_t n, std::string& out) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end);
}

// JSON can only carry text, so bytes that are not UTF-8 also go out in hex beside their display form.
void AppendHex(std::string_view bytes, std::string& out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(kDigits[u >> 4]);
        out.push_back(kDigits[u & 0x0F]);
    }
}

// Appends the field as the text and CSV forms show it: absent and unknown values as nothing.
void AppendPlain(const Listing::Value& value, std::string& out) {
    if (const auto* number = std::get_if<std::uint64_t>(&value))
        AppendNumber(*number, out);
    else if (const auto* time = std::get_if<Listing::Time>(&value))
        search::AppendIsoTime(time->seconds, out);
}

bool IsNull(const Listing::Value& value) {
    const auto* time = std::get_if<Listing::Time>(&value);
    return std::holds_alternative<Listing::Null>(value) ||
           (time && time->seconds == EntryStore::kUnknownTime);
}

}  // namespace

Form FormOf(const CommandLine& args) {
    if (args.Has("--json")) return Form::Json;
    if (args.Has("--csv")) return Form::Csv;
    return Form::Text;
}

std::vector<Listing::Column> Listing::EntryColumns(std::initializer_list<std::string_view> hiddenInText,
                                                   std::initializer_list<Column> leading) {
    std::vector<Column> columns(leading);
    for (const std::string_view key : {"index", "label", "name", "kind", "path", "size", "modified"})
        columns.push_back(
            {key, std::find(hiddenInText.begin(), hiddenInText.end(), key) == hiddenInText.end()});
    return columns;
}

Listing::Listing(Form form, std::vector<Column> columns, Layout layout)
    : m_form(form), m_columns(std::move(columns)), m_layout(layout) {
    if (m_form != Form::Csv) return;
    std::vector<std::string_view> headings;
    for (const Column& column : m_columns) headings.push_back(column.key);
    std::cout << catalogue::CsvRecord(headings);
}

void Listing::StartGroup() {
    if (m_form == Form::Text && m_bWritten) std::cout.put('\n');
}

void Listing::Row(std::initializer_list<Value> values) {
    Write({values.begin(), values.size()});
}

void Listing::Row(std::span<const Value> values) {
    Write(values);
}

void Listing::EntryRow(const EntryStore& entries, std::size_t i, std::initializer_list<Value> leading) {
    m_values.assign(leading);
    m_values.insert(m_values.end(), {std::uint64_t{i}, entries.Label(i), entries.Name(i), entries.Kind(i),
                                     entries.Path(i), entries.SizeText(i), Time{entries.Modified(i)}});
    Write(m_values);
}

void Listing::Write(std::span<const Value> values) {
    m_line.clear();
    switch (m_form) {
        case Form::Text:
            if (m_layout == Layout::Fields)
                WriteFields(values);
            else
                WriteText(values);
            break;
        case Form::Json:
            WriteJson(values);
            break;
        case Form::Csv:
            WriteCsv(values);
            break;
    }
    std::cout.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
    m_bWritten = true;
}

void Listing::WriteText(std::span<const Value> values) {
    bool first = true;
    auto column = m_columns.begin();
    for (const Value& value : values) {
        if (!(column++)->inText) continue;
        if (!first) m_line.push_back('\t');
        first = false;
        if (const auto* text = std::get_if<std::string_view>(&value))
            catalogue::AppendTextField(*text, m_line);
        else
            AppendPlain(value, m_line);
    }
    m_line.push_back('\n');
}

void Listing::WriteFields(std::span<const Value> values) {
    auto column = m_columns.begin();
    for (const Value& value : values) {
        const Column& shown = *column++;
        if (!shown.inText || std::holds_alternative<std::monostate>(value)) continue;
        m_line.append(shown.key).push_back('\t');
        if (const auto* text = std::get_if<std::string_view>(&value))
            catalogue::AppendTextField(*text, m_line);
        else
            AppendPlain(value, m_line);
        m_line.push_back('\n');
    }
}

void Listing::WriteJson(std::span<const Value> values) {
    m_line.push_back('{');
    auto column = m_columns.begin();
    for (const Value& value : values) {
        const std::string_view key = (column++)->key;
        if (std::holds_alternative<std::monostate>(value)) continue;
        if (m_line.size() > 1) m_line.push_back(',');
        m_line.append("\"").append(key).append("\":");
        if (IsNull(value)) {
            m_line.append("null");
            continue;
        }
        if (const auto* number = std::get_if<std::uint64_t>(&value)) {
            AppendNumber(*number, m_line);
            continue;
        }
        if (const auto* time = std::get_if<Time>(&value)) {
            m_line.push_back('"');
            search::AppendIsoTime(time->seconds, m_line);
            m_line.push_back('"');
            continue;
        }
        const std::string_view text = std::get<std::string_view>(value);
        m_line.push_back('"');
        catalogue::AppendJsonString(text, m_line);
        m_line.push_back('"');
        if (!catalogue::IsValidUtf8(text)) {
            m_line.append(",\"").append(key).append("_hex\":\"");
            AppendHex(text, m_line);
            m_line.push_back('"');
        }
    }
    m_line += "}\n";
}

void Listing::WriteCsv(std::span<const Value> values) {
    bool first = true;
    for (const Value& value : values) {
        if (!first) m_line.push_back(',');
        first = false;
        if (const auto* text = std::get_if<std::string_view>(&value))
            catalogue::AppendCsvField(*text, m_line);
        else
            AppendPlain(value, m_line);
    }
    m_line += "\r\n";
}

}  // namespace cli
