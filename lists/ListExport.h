#pragma once

#include <string>
#include <string_view>

class DetailListModel;

// A detail list written out for other programs: the columns it shows and its rows in the order shown, as a
// CSV file for spreadsheets or as an HTML page that any browser opens and prints.
namespace listexport {

enum class Format { Csv, Html };

// Where an export goes and in which form.
struct Target {
    std::string path;
    Format format = Format::Csv;

    bool operator==(const Target&) const = default;
};

// The target for a file name the person gave with the form `chosen` in the file dialog: a name ending in
// ".csv", ".html" or ".htm" (any case) says its own form; any other name gets the chosen form's extension.
Target TargetFor(std::string path, Format chosen);

// The list as CSV (RFC 4180): a byte-order mark, so that spreadsheets read the UTF-8 as such; the column
// headings; then one record per row, each cell the text the list shows (a folder's ".." row left out).
std::string ToCsv(const DetailListModel& model);
// The list as one self-contained HTML page headed `title`: the number of rows and a table of the columns
// and rows, every text escaped, styled for the screen and for paper (headings on every page).
std::string ToHtml(const DetailListModel& model, std::string_view title);

}  // namespace listexport
