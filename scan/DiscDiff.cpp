#include "scan/DiscDiff.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "catalogue/CCDContent.h"
#include "catalogue/FormatSize.h"

namespace scan {

namespace {

using TextId = EntryStore::TextId;

std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
    a ^= b + 0x9E3779B97F4A7C15ull + (a << 6) + (a >> 2);
    a *= 0xFF51AFD7ED558CCDull;
    return a ^ (a >> 33);
}

std::uint64_t SizeHash(std::string_view size) {
    if (const std::optional<std::uint64_t> bytes = catalogue::ParseSize(size)) return Mix(*bytes, 1);
    return Mix(std::hash<std::string_view>{}(size), 2);
}

// The catalogue's id of each of the walk's folder texts: the walk interns its own. Walks list a folder's
// files together, so the last answer is nearly always the next one.
class PathMap {
public:
    PathMap(const EntryStore& store, const EntryStore& walked) : m_store(store), m_walked(walked) {}
    TextId operator()(std::size_t row) {
        const TextId id = m_walked.PathId(row);
        if (id == m_lastWalked) return m_lastStore;
        auto [it, fresh] = m_ids.try_emplace(id, EntryStore::kNoId);
        if (fresh) it->second = m_store.FindText(m_walked.Text(id));
        m_lastWalked = id;
        m_lastStore = it->second;
        return m_lastStore;
    }

private:
    const EntryStore& m_store;
    const EntryStore& m_walked;
    std::unordered_map<TextId, TextId> m_ids;
    TextId m_lastWalked = EntryStore::kNoId;
    TextId m_lastStore = EntryStore::kNoId;
};

// The disc's entries by folder and name, open addressing over their positions; entries of one key are
// chained in catalogue order and handed out first to last.
class EntryTable {
public:
    EntryTable(const EntryStore& store, const std::vector<std::size_t>& rows) : m_store(store), m_rows(rows) {
        const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(16, rows.size() * 2));
        m_mask = capacity - 1;
        m_heads.assign(capacity, 0);
        m_next.assign(rows.size(), 0);
        m_cursor.assign(capacity, 0);
        std::vector<std::uint32_t> tails(capacity, 0);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::size_t row = rows[i];
            const std::size_t slot = Find(store.PathId(row), store.Name(row));
            const auto position = static_cast<std::uint32_t>(i + 1);
            if (m_heads[slot] == 0) {
                m_heads[slot] = m_cursor[slot] = position;
            } else {
                m_next[tails[slot] - 1] = position;
            }
            tails[slot] = position;
        }
    }

    // The position in `rows` of the next unclaimed entry named `name` in folder `path`; nothing when
    // there is none left.
    std::optional<std::size_t> Take(TextId path, std::string_view name) {
        const std::size_t slot = Find(path, name);
        const std::uint32_t position = m_cursor[slot];
        if (position == 0) return std::nullopt;
        m_cursor[slot] = m_next[position - 1];
        return position - 1;
    }

private:
    // The slot holding the key, or the empty slot where it would go.
    std::size_t Find(TextId path, std::string_view name) const {
        std::size_t slot = Mix(path, std::hash<std::string_view>{}(name)) & m_mask;
        while (m_heads[slot] != 0) {
            const std::size_t row = m_rows[m_heads[slot] - 1];
            if (m_store.PathId(row) == path && m_store.Name(row) == name) return slot;
            slot = (slot + 1) & m_mask;
        }
        return slot;
    }

    const EntryStore& m_store;
    const std::vector<std::size_t>& m_rows;
    std::size_t m_mask = 0;
    std::vector<std::uint32_t> m_heads;   // first position of the key, +1; 0 is an empty slot
    std::vector<std::uint32_t> m_cursor;  // first unclaimed position of the key, +1; 0 when all are
    std::vector<std::uint32_t> m_next;    // next position of the same key, +1
};

bool IsFolder(const EntryStore& store, std::size_t row) {
    return store.Kind(row) == kKindFolder;
}

// Pairs removed files with added ones of the same name, size and time, and takes them out of both lists.
void FindMoves(const EntryStore& store, const EntryStore& walked, DiscDiff& diff) {
    struct Candidate {
        std::uint64_t hash;
        std::size_t position;  // in diff.added
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < diff.added.size(); ++i) {
        const std::size_t row = diff.added[i];
        if (IsFolder(walked, row)) continue;
        candidates.push_back(
            {Mix(std::hash<std::string_view>{}(walked.Name(row)), SizeHash(walked.SizeText(row))), i});
    }
    if (candidates.empty()) return;
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.hash, a.position) < std::tie(b.hash, b.position);
    });

    constexpr std::size_t kTaken = static_cast<std::size_t>(-1);
    std::size_t kept = 0;
    for (const std::size_t row : diff.removed) {
        bool paired = false;
        if (!IsFolder(store, row)) {
            const std::uint64_t hash =
                Mix(std::hash<std::string_view>{}(store.Name(row)), SizeHash(store.SizeText(row)));
            auto it = std::lower_bound(candidates.begin(), candidates.end(), hash,
                                       [](const Candidate& c, std::uint64_t h) { return c.hash < h; });
            for (; it != candidates.end() && it->hash == hash; ++it) {
                if (it->position == kTaken) continue;
                const std::size_t now = diff.added[it->position];
                if (walked.Name(now) != store.Name(row) ||
                    SizesDiffer(store.SizeText(row), walked.SizeText(now)) ||
                    TimesDiffer(store.Modified(row), walked.Modified(now)))
                    continue;
                diff.moved.push_back({row, now});
                diff.added[it->position] = kTaken;
                it->position = kTaken;
                paired = true;
                break;
            }
        }
        if (!paired) diff.removed[kept++] = row;
    }
    diff.removed.resize(kept);
    std::erase(diff.added, kTaken);
}

}  // namespace

bool SizesDiffer(std::string_view a, std::string_view b) {
    if (a == b) return false;
    const std::optional<std::uint64_t> x = catalogue::ParseSize(a);
    const std::optional<std::uint64_t> y = catalogue::ParseSize(b);
    return !x || !y || *x != *y;
}

bool TimesDiffer(std::int64_t a, std::int64_t b) {
    return a != b && a != EntryStore::kUnknownTime && b != EntryStore::kUnknownTime;
}

DiscDiff DiffDisc(const EntryStore& store, const catalogue::Disc& disc, const EntryStore& walked) {
    std::vector<std::size_t> rows;
    rows.reserve(disc.entries);
    for (std::size_t row = disc.first; row < disc.end; ++row)
        if (disc.Holds(store, row)) rows.push_back(row);

    DiscDiff diff;
    EntryTable table(store, rows);
    PathMap paths(store, walked);
    std::vector<bool> matched(rows.size(), false);
    for (std::size_t now = 0; now < walked.Size(); ++now) {
        const TextId path = paths(now);
        const std::optional<std::size_t> position =
            path == EntryStore::kNoId ? std::nullopt : table.Take(path, walked.Name(now));
        if (!position) {
            diff.added.push_back(now);
            continue;
        }
        matched[*position] = true;
        const std::size_t old = rows[*position];
        if (store.Kind(old) != walked.Kind(now) || SizesDiffer(store.SizeText(old), walked.SizeText(now)) ||
            TimesDiffer(store.Modified(old), walked.Modified(now)))
            diff.changed.push_back({old, now});
        else
            diff.same.push_back({old, now});
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!matched[i]) diff.removed.push_back(rows[i]);
    FindMoves(store, walked, diff);
    return diff;
}

}  // namespace scan
