#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"

// An entry as five texts (label, name, kind, path, size), so that whole stores compare and print in tests.
using Row = std::tuple<std::string, std::string, std::string, std::string, std::string>;

inline std::vector<Row> Rows(const EntryStore& store) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < store.Size(); ++i)
        rows.emplace_back(store.Label(i), store.Name(i), store.Kind(i), store.Path(i), store.SizeText(i));
    return rows;
}

// The discs' labels in the order the discs stand.
inline std::vector<std::string> DiscLabels(const EntryStore& store) {
    std::vector<std::string> labels;
    for (const catalogue::Disc& disc : catalogue::DiscNodes(store))
        labels.emplace_back(store.Text(disc.label));
    return labels;
}
