#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "catalogue/EntryStore.h"

namespace search {

// The files catalogued on more than one disc, in groups of copies: the same name, as the folded search
// compares names (casefold::FoldText), and the same size (catalogue::ParseSize).
struct Duplicates {
    // One file and its copies: rows[first, first + count) of `rows`.
    struct Group {
        std::uint64_t bytes = 0;
        std::size_t first = 0;
        std::size_t count = 0;

        bool operator==(const Group&) const = default;
    };

    // Biggest first, then by folded name in byte order.
    std::vector<Group> groups;
    // The entry rows of every copy, group after group, each group's in catalogue order.
    std::vector<std::size_t> rows;

    // The entry rows of one group's copies.
    std::span<const std::size_t> Copies(const Group& group) const {
        return {rows.data() + group.first, group.count};
    }
};

// The files of at least `minBytes` bytes that lie on two or more discs. A disc is a node of the tree
// (catalogue::DiscNodes), so two nodes with one label are two discs. Folders, deleted entries and files
// whose size text is not a number are never copies. A group holds every copy, two on one disc included.
Duplicates FindDuplicates(const EntryStore& store, std::uint64_t minBytes);

// The files of at least `minBytes` bytes whose contents lie on two or more discs: the same checksum and size,
// whatever their names. Only files read for their checksums take part. Groups are ordered biggest first,
// then by checksum; their copies in catalogue order.
Duplicates FindContentDuplicates(const EntryStore& store, std::uint64_t minBytes);

}  // namespace search
