#pragma once

#include <cstddef>
#include <string_view>

#include "catalogue/EntryStore.h"

// The entries of one disc: a run of consecutive entries of the catalogue.
struct DiscRun {
    std::size_t first = 0;
    std::size_t count = 0;
};

// The first unbroken run of entries whose label is exactly `label`, in catalogue order; empty when no
// entry carries it. Later runs of the same label are not part of the disc that is shown.
DiscRun FindDiscRun(const EntryStore& store, std::string_view label);
