#include "lists/ListExport.h"

#include <vector>

#include "catalogue/Ascii.h"
#include "catalogue/TextForms.h"
#include "lists/DetailListModel.h"

namespace listexport {

namespace {

constexpr std::string_view kCsvExtension = ".csv";
constexpr std::string_view kHtmlExtension = ".html";

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    text.remove_prefix(text.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (catalogue::AsciiLower(text[i]) != ending[i]) return false;
    }
    return true;
}

const char* CellClass(const ListColumn& column) {
    if (column.alignment & Qt::AlignHCenter) return " class=\"c\"";
    if (column.alignment & Qt::AlignRight) return " class=\"r\"";
    return "";
}

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;font-size:10pt;margin:1.5em;color:#000;background:#fff}\n"
    "h1{font-size:14pt;margin:0 0 .3em}\n"
    "p{margin:0 0 .8em;color:#444}\n"
    "table{border-collapse:collapse;width:100%}\n"
    "th,td{border:1px solid #9ab;padding:2px 6px;text-align:left;vertical-align:top;"
    "white-space:pre-wrap;overflow-wrap:anywhere}\n"
    "th{background:#ecf7ff}\n"
    "tbody tr:nth-child(even){background:#f6fbff}\n"
    ".c{text-align:center}\n"
    ".r{text-align:right}\n"
    "@media print{body{margin:0;font-size:8pt}thead{display:table-header-group}"
    "tr{break-inside:avoid}th,tbody tr:nth-child(even){background:none}}\n";

}  // namespace

Target TargetFor(std::string path, Format chosen) {
    if (EndsWithNoCase(path, kCsvExtension)) return {std::move(path), Format::Csv};
    if (EndsWithNoCase(path, kHtmlExtension) || EndsWithNoCase(path, ".htm"))
        return {std::move(path), Format::Html};
    path += chosen == Format::Csv ? kCsvExtension : kHtmlExtension;
    return {std::move(path), chosen};
}

namespace {

// A folder's up row leads somewhere in the window; it is no entry of the disc, so no export holds it.
int FirstEntryRow(const DetailListModel& model) {
    return model.rowCount() > 0 && model.IsUpRow(0) ? 1 : 0;
}

}  // namespace

std::string ToCsv(const DetailListModel& model) {
    const int columns = model.columnCount();
    std::vector<std::string_view> cells(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        cells[static_cast<std::size_t>(c)] = model.Columns()[static_cast<std::size_t>(c)].heading;
    std::string csv = "\xEF\xBB\xBF" + catalogue::CsvRecord(cells);
    std::vector<std::string> shown(static_cast<std::size_t>(columns));
    for (int row = FirstEntryRow(model); row < model.rowCount(); ++row) {
        for (int c = 0; c < columns; ++c) {
            shown[static_cast<std::size_t>(c)] = model.ShownText(row, c);
            cells[static_cast<std::size_t>(c)] = shown[static_cast<std::size_t>(c)];
        }
        csv += catalogue::CsvRecord(cells);
    }
    return csv;
}

std::string ToHtml(const DetailListModel& model, std::string_view title) {
    const std::vector<ListColumn>& columns = model.Columns();
    const int first = FirstEntryRow(model);
    const int rows = model.rowCount() - first;
    std::string html = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    catalogue::AppendHtmlText(title, html);
    html += "</title>\n<style>\n";
    html += kStyle;
    html += "</style>\n</head>\n<body>\n<h1>";
    catalogue::AppendHtmlText(title, html);
    html +=
        "</h1>\n<p>" + std::to_string(rows) + (rows == 1 ? " row" : " rows") + "</p>\n<table>\n<thead><tr>";
    for (const ListColumn& column : columns) {
        html.append("<th").append(CellClass(column)).append(">");
        catalogue::AppendHtmlText(column.heading, html);
        html += "</th>";
    }
    html += "</tr></thead>\n<tbody>\n";
    for (int row = first; row < model.rowCount(); ++row) {
        html += "<tr>";
        for (std::size_t c = 0; c < columns.size(); ++c) {
            html.append("<td").append(CellClass(columns[c])).append(">");
            catalogue::AppendHtmlText(model.ShownText(row, static_cast<int>(c)), html);
            html += "</td>";
        }
        html += "</tr>\n";
    }
    html += "</tbody>\n</table>\n</body>\n</html>\n";
    return html;
}

}  // namespace listexport
