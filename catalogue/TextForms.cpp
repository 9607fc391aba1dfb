#include "catalogue/TextForms.h"

#include <cstdio>

#include "catalogue/DisplayText.h"
#include "catalogue/Utf8.h"

namespace catalogue {

namespace {

// Calls `write` with the display form of `bytes`, copying only what must be decoded from Windows-1252.
template <typename Write>
void WithDisplayForm(std::string_view bytes, Write write) {
    if (IsValidUtf8(bytes)) {
        write(bytes);
    } else {
        const std::string text = ToDisplayUtf8(bytes);
        write(std::string_view(text));
    }
}

// True for U+0080 to U+009F, whose UTF-8 form is C2 80 to C2 9F.
bool IsC1At(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

void AppendHex(std::string& out, const char* format, unsigned value) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

// The escapes C and JSON write alike; false for any other character.
bool AppendCommonEscape(char c, std::string& out) {
    const char* escape = nullptr;
    switch (c) {
        case '\t':
            escape = "\\t";
            break;
        case '\n':
            escape = "\\n";
            break;
        case '\r':
            escape = "\\r";
            break;
        case '\\':
            escape = "\\\\";
            break;
        case '"':
            escape = "\\\"";
            break;
        default:
            return false;
    }
    out += escape;
    return true;
}

void AppendEscaped(std::string_view text, std::string& out) {
    out.push_back('"');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (AppendCommonEscape(c, out)) continue;
        if (IsControl(c)) {
            AppendHex(out, "\\x%02x", static_cast<unsigned char>(c));
        } else if (IsC1At(text, i)) {
            AppendHex(out, "\\u%04x", static_cast<unsigned char>(text[++i]));
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

}  // namespace

void AppendTextField(std::string_view bytes, std::string& out) {
    WithDisplayForm(bytes, [&out](std::string_view text) {
        bool plain = text.empty() || text.front() != '"';
        for (std::size_t i = 0; plain && i < text.size(); ++i)
            plain = !IsControl(text[i]) && !IsC1At(text, i);
        if (plain)
            out.append(text);
        else
            AppendEscaped(text, out);
    });
}

void AppendJsonString(std::string_view bytes, std::string& out) {
    WithDisplayForm(bytes, [&out](std::string_view text) {
        for (const char c : text) {
            if (AppendCommonEscape(c, out)) continue;
            if (c == '\b')
                out += "\\b";
            else if (c == '\f')
                out += "\\f";
            else if (static_cast<unsigned char>(c) < 0x20)
                AppendHex(out, "\\u%04x", static_cast<unsigned char>(c));
            else
                out.push_back(c);
        }
    });
}

void AppendCsvField(std::string_view bytes, std::string& out) {
    WithDisplayForm(bytes, [&out](std::string_view text) {
        const bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                            (!text.empty() && (text.front() == ' ' || text.back() == ' '));
        if (!quoted) {
            out.append(text);
            return;
        }
        out.push_back('"');
        for (const char c : text) {
            if (c == '"') out.push_back('"');
            out.push_back(c);
        }
        out.push_back('"');
    });
}

std::string CsvRecord(std::span<const std::string_view> fields) {
    std::string record;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) record.push_back(',');
        AppendCsvField(fields[i], record);
    }
    record += "\r\n";
    return record;
}

// HTML allows no control characters: they show as their pictures, and U+0080 to U+009F, which have none,
// as U+FFFD.
void AppendHtmlText(std::string_view bytes, std::string& out) {
    const std::string text = ToDisplayUtf8(bytes);
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        // The display form is UTF-8 throughout; were it not, the byte would show as U+FFFD.
        if (!NextCodePoint(text, pos, cp)) {
            cp = 0xFFFD;
            ++pos;
        }
        switch (cp) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if (cp < 0x20)
                    AppendUtf8(out, 0x2400 + cp);
                else if (cp == 0x7F)
                    AppendUtf8(out, 0x2421);
                else if (cp >= 0x80 && cp <= 0x9F)
                    AppendUtf8(out, 0xFFFD);
                else
                    AppendUtf8(out, cp);
        }
    }
}

}  // namespace catalogue
