#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// The order of a list's rows by one of its columns, as a person asks for it by clicking the column's heading.
namespace search {

// How the cells of a column compare.
enum class Collation {
    kText,    // folded as the search folds names, then byte by byte
    kNumber,  // size texts as the byte counts they stand for; a text that is no number comes after every
              // number
    kTime,    // seconds since 1970; an unknown time comes after every known one
};

// The cells of one column, read by the row numbers being ordered.
struct ColumnCells {
    Collation collation = Collation::kText;
    std::function<std::string_view(std::uint32_t row)> text;  // kText and kNumber
    std::function<std::int64_t(std::uint32_t row)> time;      // kTime; EntryStore::kUnknownTime when unknown
};

// Reorders `rows`, each row at most once, by their cells, ascending or descending. Stable: rows whose cells
// compare equal keep the order they have in `rows`, in either direction, so that sorting by one column and
// then another orders by the second and, within it, by the first. Cells that are not known (no number, no
// time) stay last in both directions: they say nothing about where they belong.
void SortRows(std::vector<std::uint32_t>& rows, const ColumnCells& cells, bool descending);

}  // namespace search
