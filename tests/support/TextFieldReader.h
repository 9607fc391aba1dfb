#pragma once

#include <string>
#include <string_view>
#include <vector>

// Undoes the escapes of a field of tamberol-cli's text form: what a person reading the line takes it to mean.
inline std::string ReadTextField(std::string_view field) {
    if (field.empty() || field.front() != '"') return std::string(field);
    std::string out;
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        if (field[i] != '\\') {
            out.push_back(field[i]);
            continue;
        }
        const char e = field[++i];
        if (e == 't') out.push_back('\t');
        if (e == 'n') out.push_back('\n');
        if (e == 'r') out.push_back('\r');
        if (e == '\\' || e == '"') out.push_back(e);
        if (e == 'x') {
            out.push_back(static_cast<char>(std::stoi(std::string(field.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        }
        if (e == 'u') {  // U+0080 to U+009F, the only ones written this way
            out += "\xC2";
            out.push_back(static_cast<char>(std::stoi(std::string(field.substr(i + 3, 2)), nullptr, 16)));
            i += 4;
        }
    }
    return out;
}

// The lines of a text listing, each split at its tabs and read back field by field.
inline std::vector<std::vector<std::string>> ReadTextLines(std::string_view text) {
    std::vector<std::vector<std::string>> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        std::vector<std::string> fields;
        for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
            fields.push_back(ReadTextField(line.substr(0, tab)));
        fields.push_back(ReadTextField(line));
        lines.push_back(std::move(fields));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}
