#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A strict RFC 4180 reader, the stand-in for a spreadsheet: records end in CRLF, fields are separated by
// commas, and a field in double quotes may hold commas, CR, LF and doubled quotes. Nothing for text that
// breaks the rules (a bare LF or CR, a quote inside an unquoted field, text after a closing quote, an
// unclosed quote, a missing last CRLF).
using CsvTable = std::vector<std::vector<std::string>>;

inline std::optional<CsvTable> ReadCsv(std::string_view text) {
    CsvTable table;
    std::vector<std::string> record;
    std::string field;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '"') {
            for (++at;; ++at) {
                if (at >= text.size()) return std::nullopt;
                if (text[at] != '"') {
                    field.push_back(text[at]);
                } else if (at + 1 < text.size() && text[at + 1] == '"') {
                    field.push_back('"');
                    ++at;
                } else {
                    ++at;
                    break;
                }
            }
        } else {
            while (at < text.size() && text[at] != ',' && text[at] != '\r') {
                if (text[at] == '"' || text[at] == '\n') return std::nullopt;
                field.push_back(text[at++]);
            }
        }
        record.push_back(std::move(field));
        field.clear();
        if (at < text.size() && text[at] == ',') {
            ++at;
            if (at == text.size()) return std::nullopt;
            continue;
        }
        if (text.substr(at, 2) != "\r\n") return std::nullopt;
        at += 2;
        table.push_back(std::move(record));
        record.clear();
    }
    return table;
}
