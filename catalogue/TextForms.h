#pragma once

#include <span>
#include <string>
#include <string_view>

// The forms catalogue texts take outside the window: fields of a text line for people, JSON strings and CSV
// records. Each starts from the display form (UTF-8 as it is, anything else read as Windows-1252) and is
// appended to a line that the caller reuses, since listings write millions of them.
namespace catalogue {

// Appends a text as one field of a tab-separated line: its display form as it is, unless it holds a
// control character or begins with a double quote; then in double quotes with C escapes (\t, \n, \r, \\,
// \", \xHH for the other controls below U+0080, \uHHHH for U+0080 to U+009F), so one line is always one
// record and nothing reaches a terminal that could steer it.
void AppendTextField(std::string_view bytes, std::string& out);
// Appends the display form as the inside of a JSON string: quotes, backslashes and control characters
// escaped.
void AppendJsonString(std::string_view bytes, std::string& out);
// Appends the display form as one CSV field (RFC 4180): in double quotes with inner quotes doubled when it
// holds a comma, a quote, CR or LF, or begins or ends with a blank (which some readers would trim); else as
// it is.
void AppendCsvField(std::string_view bytes, std::string& out);
// Appends the display form as HTML text, for pages people open or print: markup characters as entities,
// control characters as the pictures Unicode has for them (a tab as U+2409), U+0080 to U+009F as U+FFFD.
void AppendHtmlText(std::string_view bytes, std::string& out);
// The fields as one CSV record: separated by commas and ended by CRLF.
std::string CsvRecord(std::span<const std::string_view> fields);

}  // namespace catalogue
