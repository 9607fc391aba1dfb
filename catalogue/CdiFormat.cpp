#include "catalogue/CdiFormat.h"

// The hash states live on the stack rather than the heap.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "catalogue/Ascii.h"
#include "catalogue/CdiBlock.h"
#include "catalogue/DisplayText.h"
#include "catalogue/Utf8.h"
#include "platform/Tuning.h"

namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
constexpr std::uint16_t kUnicodeMarker = 0xFFFE;
constexpr std::string_view kClassName = "CCDContent";
constexpr std::uint16_t kSchema = 1;
constexpr std::size_t kMaxClassName = 64;
// The smallest entry a file can hold: a class tag and five empty texts.
constexpr std::size_t kMinEntryBytes = 2 + 5;

void Put16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutLength(std::string& out, std::size_t length) {
    if (length < 0xFF) {
        out.push_back(static_cast<char>(length));
    } else if (length < 0xFFFE) {
        out.push_back(static_cast<char>(0xFF));
        Put16(out, static_cast<std::uint16_t>(length));
    } else {
        out.push_back(static_cast<char>(0xFF));
        Put16(out, 0xFFFF);
        Put32(out, static_cast<std::uint32_t>(length));
    }
}

// UTF-8 (already validated) to UTF-16 code units.
std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size() && catalogue::NextCodePoint(text, pos, cp);) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

// The archive stream's bytes with bounds checks on every step: either one buffer, read in place, or a file
// handed over a chunk at a time. Bytes from the mark on stay in the buffer across refills (only their
// address changes), so an entry's texts are found again by their distance from the mark.
class StreamBytes {
public:
    explicit StreamBytes(std::span<const char> whole)
        : m_start(whole.data()),
          m_pos(m_start),
          m_end(m_start + whole.size()),
          m_mark(m_start),
          m_total(whole.size()),
          m_read(whole.size()) {}
    StreamBytes(std::uint64_t total, const cdi::ChunkSource& source, std::size_t chunk)
        : m_source(&source), m_chunk(std::max<std::size_t>(chunk, 1)), m_total(total) {}

    std::uint64_t Offset() const { return m_startOffset + static_cast<std::size_t>(m_pos - m_start); }
    std::uint64_t Remaining() const { return m_total - Offset(); }
    // The system's reason when the source failed; empty otherwise.
    const std::string& ReadError() const { return m_readError; }

    void Mark() { m_mark = m_pos; }
    std::size_t SinceMark() const { return static_cast<std::size_t>(m_pos - m_mark); }
    const char* AtMark(std::size_t distance) const { return m_mark + distance; }

    bool Get8(std::uint8_t& v) {
        if (!Have(1)) return false;
        v = Byte(0);
        m_pos += 1;
        return true;
    }
    bool Get16(std::uint16_t& v) {
        if (!Have(2)) return false;
        v = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
        m_pos += 2;
        return true;
    }
    bool Get32(std::uint32_t& v) {
        if (!Have(4)) return false;
        v = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
        m_pos += 4;
        return true;
    }
    // Has at least `n` bytes held from the current one on; false when the file ends (or fails) first.
    bool Hold(std::size_t n) { return Have(n); }
    // Hashes every byte passed from here on into `state` (none when null), after hashing the bytes passed
    // so far into the state it had.
    void HashInto(XXH3_state_t* state) {
        Flush();
        m_hash = state;
        m_hashedOffset = Offset();
    }
    // Hashes the bytes passed so far into the state of HashInto.
    void Flush() { HashUpTo(Offset()); }
    // The bytes held from the current one on: all of them lie inside the file.
    const char* Pos() const { return m_pos; }
    const char* End() const { return m_end; }
    // Steps over `n` bytes of those held.
    void Advance(std::size_t n) { m_pos += n; }
    // Steps over `n` bytes, which the caller has checked against Remaining().
    bool Skip(std::size_t n) {
        if (!Have(n)) return false;
        m_pos += n;
        return true;
    }

private:
    std::uint32_t Byte(std::size_t k) const { return static_cast<unsigned char>(m_pos[k]); }
    bool Have(std::size_t n) { return static_cast<std::size_t>(m_end - m_pos) >= n || Refill(n); }
    bool Refill(std::size_t n);
    // Bytes leave the buffer at a refill: every byte is hashed before that, once.
    void HashUpTo(std::uint64_t offset) {
        if (m_hash == nullptr || offset <= m_hashedOffset) return;
        XXH3_64bits_update(m_hash, m_start + (m_hashedOffset - m_startOffset), offset - m_hashedOffset);
        m_hashedOffset = offset;
    }

    const cdi::ChunkSource* m_source = nullptr;
    std::size_t m_chunk = 0;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    const char* m_start = nullptr;  // the first byte held, at file offset m_startOffset
    const char* m_pos = nullptr;
    const char* m_end = nullptr;
    const char* m_mark = nullptr;
    std::uint64_t m_startOffset = 0;
    std::uint64_t m_total = 0;  // the file's size: nothing past it is read
    std::uint64_t m_read = 0;   // bytes taken from the source so far
    std::string m_readError;
    XXH3_state_t* m_hash = nullptr;
    std::uint64_t m_hashedOffset = 0;  // the bytes before it went into m_hash
};

bool StreamBytes::Refill(std::size_t n) {
    const std::size_t missing = n - static_cast<std::size_t>(m_end - m_pos);
    if (m_source == nullptr || missing > m_total - m_read) return false;
    HashUpTo(m_startOffset + static_cast<std::size_t>(m_mark - m_start));  // the bytes before the mark go
    const std::size_t kept = static_cast<std::size_t>(m_end - m_mark);
    const std::size_t needed = static_cast<std::size_t>(m_pos - m_mark) + n;
    char* buffer = m_buffer.get();
    // `needed` is bounded by the entry being read, whose texts were checked against the file's size, so a
    // larger buffer is never larger than the file.
    if (m_capacity < needed || m_capacity < m_chunk) {
        const std::size_t capacity = std::max(needed, m_chunk);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (kept) std::memcpy(grown.get(), m_mark, kept);
        m_buffer = std::move(grown);
        m_capacity = capacity;
        buffer = m_buffer.get();
    } else if (kept) {
        std::memmove(buffer, m_mark, kept);
    }
    m_startOffset += static_cast<std::size_t>(m_mark - m_start);
    const std::size_t atMark = static_cast<std::size_t>(m_pos - m_mark);
    m_start = m_mark = buffer;
    m_pos = buffer + atMark;
    m_end = buffer + kept;
    while (static_cast<std::size_t>(m_end - m_pos) < n) {
        const std::size_t room = static_cast<std::size_t>(
            std::min<std::uint64_t>(m_capacity - static_cast<std::size_t>(m_end - buffer), m_total - m_read));
        const std::int64_t got = (*m_source)(buffer + (m_end - buffer), room, m_readError);
        if (got < 0 && m_readError.empty()) m_readError = "unknown read error";
        if (got <= 0) return false;
        m_end += got;
        m_read += static_cast<std::uint64_t>(got);
    }
    return true;
}

class Loader {
public:
    Loader(StreamBytes& in, EntryStore& entries, std::string& error)
        : m_in(in), m_entries(entries), m_error(error) {}

    bool Run() {
        std::uint16_t count16 = 0;
        if (!m_in.Get16(count16)) return Fail("the file ends before the entry count");
        std::uint32_t count = count16;
        if (count16 == 0xFFFF && !m_in.Get32(count)) return Fail("the file ends inside the entry count");
        if (static_cast<std::uint64_t>(count) * kMinEntryBytes > m_in.Remaining())
            return Fail("the entry count (" + std::to_string(count) + ") is larger than the file can hold");
        m_entries.Reserve(m_entries.Size() + count);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!ReadHeldEntry() && (!ReadObjectTag(i) || !ReadEntry(i))) return false;
        }
        return true;
    }

private:
    // Where a text of the entry being read lies: a distance from the entry's mark, or a converted copy.
    struct TextAt {
        std::size_t distance;
        std::size_t length;
        const std::string* owned;
    };

    bool Fail(const std::string& what) {
        const std::string where = " (at byte " + std::to_string(m_in.Offset()) + ")";
        m_error = m_in.ReadError().empty() ? what + where : "reading stopped: " + m_in.ReadError() + where;
        return false;
    }

    static std::string Which(std::uint32_t i) { return "entry " + std::to_string(i); }

    bool ReadObjectTag(std::uint32_t i) {
        std::uint16_t tag = 0;
        if (!m_in.Get16(tag)) return Fail("the file ends before " + Which(i));
        std::uint32_t classNumber = 0;
        if (tag == kNewClassTag) {
            if (!ReadClassDescription()) return false;
            classNumber = m_nextNumber++;
            m_classNumber = classNumber;
        } else if (tag == kBigObjectTag) {
            std::uint32_t big = 0;
            if (!m_in.Get32(big)) return Fail("the file ends inside the tag of " + Which(i));
            if (!(big & kBigClassTag)) return Fail(Which(i) + " refers back to an earlier entry");
            classNumber = big & ~kBigClassTag;
        } else if (tag & kClassTag) {
            classNumber = tag & ~kClassTag;
        } else if (tag == 0) {
            return Fail(Which(i) + " is a null entry");
        } else {
            return Fail(Which(i) + " refers back to an earlier entry");
        }
        if (m_classNumber == 0 || classNumber != m_classNumber)
            return Fail(Which(i) + " names an unknown class number " + std::to_string(classNumber));
        ++m_nextNumber;  // the object itself takes the next number
        return true;
    }

    bool ReadClassDescription() {
        std::uint16_t schema = 0, nameLength = 0;
        if (!m_in.Get16(schema) || !m_in.Get16(nameLength))
            return Fail("the file ends inside a class description");
        if (nameLength >= kMaxClassName) return Fail("a class name is 64 bytes or longer");
        if (m_in.Remaining() < nameLength) return Fail("the file ends inside a class name");
        m_in.Mark();
        if (!m_in.Skip(nameLength)) return Fail("the file ends inside a class name");
        const std::string_view name(m_in.AtMark(0), nameLength);
        if (name != kClassName)
            return Fail("the file holds another class (\"" + catalogue::ToDisplayUtf8(name) + "\")");
        if (schema != kSchema) return Fail("the entries have schema " + std::to_string(schema) + ", not 1");
        return true;
    }

    bool ReadEntry(std::uint32_t i) {
        m_in.Mark();
        TextAt at[5];
        for (int k = 0; k < 5; ++k) {
            if (!ReadText(at[k], m_scratch[k]))
                return Fail(m_textError.empty() ? Which(i) + " is cut short" : m_textError);
        }
        std::string_view texts[5];
        for (int k = 0; k < 5; ++k) {
            texts[k] = at[k].owned ? std::string_view(*at[k].owned)
                                   : std::string_view(m_in.AtMark(at[k].distance), at[k].length);
        }
        m_entries.Append(texts[0], texts[1], texts[2], texts[3], texts[4]);
        return true;
    }

    // Nearly every entry is a reference to the described class and five texts of less than 255 bytes,
    // already held in the buffer: such an entry is read straight from the buffer. Anything else is left
    // untouched (false) for ReadObjectTag and ReadEntry, which read every form and name every fault.
    bool ReadHeldEntry() {
        const auto* p = reinterpret_cast<const unsigned char*>(m_in.Pos());
        const auto* end = reinterpret_cast<const unsigned char*>(m_in.End());
        if (end - p < 2 + 5 || m_classNumber == 0 || m_classNumber >= kBigObjectTag) return false;
        if (static_cast<std::uint32_t>(p[0] | (p[1] << 8)) != (kClassTag | m_classNumber)) return false;
        p += 2;
        std::string_view texts[5];
        for (std::string_view& text : texts) {
            if (p == end || *p == 0xFF || end - p - 1 < *p) return false;
            text = {reinterpret_cast<const char*>(p + 1), *p};
            p += 1 + *p;
        }
        m_entries.Append(texts[0], texts[1], texts[2], texts[3], texts[4]);
        m_in.Advance(static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(m_in.Pos())));
        ++m_nextNumber;
        return true;
    }

    bool ReadLength(std::uint64_t& length, bool& unicode, bool allowMarker) {
        std::uint8_t b = 0;
        if (!m_in.Get8(b)) return false;
        if (b < 0xFF) {
            length = b;
            return true;
        }
        std::uint16_t w = 0;
        if (!m_in.Get16(w)) return false;
        if (w == kUnicodeMarker && allowMarker) {
            unicode = true;
            return ReadLength(length, unicode, false);
        }
        if (w < 0xFFFF) {
            length = w;
            return true;
        }
        std::uint32_t d = 0;
        if (!m_in.Get32(d)) return false;
        length = d;
        return true;
    }

    // Narrow texts stay where they are in the stream; UTF-16 texts are converted into `owned`.
    bool ReadText(TextAt& at, std::string& owned) {
        std::uint64_t length = 0;
        bool unicode = false;
        if (!ReadLength(length, unicode, true)) return false;
        const std::uint64_t bytes = unicode ? length * 2 : length;
        if (bytes > m_in.Remaining()) {
            m_textError =
                "a text length (" + std::to_string(length) + ") is larger than the rest of the file";
            return false;
        }
        at = {m_in.SinceMark(), static_cast<std::size_t>(bytes), nullptr};
        if (!m_in.Skip(static_cast<std::size_t>(bytes))) return false;
        if (!unicode) return true;
        const char* raw = m_in.AtMark(at.distance);
        owned.clear();
        const auto unit = [raw](std::size_t k) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(raw[2 * k]) |
                                              (static_cast<unsigned char>(raw[2 * k + 1]) << 8));
        };
        for (std::size_t k = 0; k < length; ++k) {
            std::uint32_t cp = unit(k);
            if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < length && unit(k + 1) >= 0xDC00 &&
                unit(k + 1) <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
                ++k;
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
            }
            catalogue::AppendUtf8(owned, cp);
        }
        at.owned = &owned;
        return true;
    }

    StreamBytes& m_in;
    EntryStore& m_entries;
    std::string& m_error;
    std::string m_textError;          // why a text could not be read, when it is more than "cut short"
    std::uint32_t m_nextNumber = 1;   // what the writer numbered next: classes and objects from 1 on
    std::uint32_t m_classNumber = 0;  // the number of the entry class once described
    std::string m_scratch[5];
};

// The archive form of the label, kind or path that the previous entry wrote: consecutive entries mostly
// repeat them, and then they are copied instead of checked and encoded again.
struct EncodedText {
    EntryStore::TextId id = EntryStore::kNoId;
    std::string bytes;
};

void WriteInterned(EncodedText& last, EntryStore::TextId id, std::string_view text, std::string& out) {
    if (id != last.id) {
        last.id = id;
        last.bytes.clear();
        cdi::WriteText(text, last.bytes);
    }
    out.append(last.bytes);
}

// Reads the extension block after the entries, when there is one, checking all of it before any of it
// counts: the entries' times are written straight into the store (so that a large catalogue's block is
// never held twice) and taken back out when a later check fails.
class BlockReader {
public:
    BlockReader(StreamBytes& in, EntryStore& entries, cdi::Extension& extension)
        : m_in(in), m_entries(entries), m_extension(extension) {}

    // `entryHash` has hashed every byte of the entries. A block too large for the memory left is left out
    // like a damaged one: the entries, already read, still open.
    void Run(XXH3_state_t& entryHash) {
        try {
            Read(entryHash);
        } catch (const std::bad_alloc&) {
            Problem("there is not enough memory to hold it");
        }
    }

private:
    void Read(XXH3_state_t& entryHash) {
        namespace block = cdi::block;
        m_in.Mark();
        if (m_in.Remaining() < block::kMagic.size() || !m_in.Hold(block::kMagic.size()) ||
            std::string_view(m_in.Pos(), block::kMagic.size()) != block::kMagic) {
            // Bytes that are no block are left alone, as other programs' readers leave them.
            if (!m_in.ReadError().empty())
                Problem("the bytes after the entries cannot be read: " + m_in.ReadError());
            return;
        }
        m_in.Flush();
        const std::uint64_t entriesHash = XXH3_64bits_digest(&entryHash);
        XXH3_state_t state;
        XXH3_64bits_reset(&state);
        m_in.HashInto(&state);
        const std::uint64_t start = m_in.Offset();
        if (m_in.Remaining() < block::kHeaderBytes + block::kChecksumBytes || !m_in.Hold(block::kHeaderBytes))
            return Problem("the block is cut off");
        const block::Header header = block::GetHeader(m_in.Pos());
        m_in.Advance(block::kHeaderBytes);
        if (header.version != block::kVersion)
            return Problem("its version " + std::to_string(header.version) + " is not known here");
        if (header.length < block::kHeaderBytes + block::kChecksumBytes ||
            header.length - block::kHeaderBytes > m_in.Remaining())
            return Problem("the block is cut off");
        if (header.entries != m_entries.Size() || header.entryHash != entriesHash)
            return Problem("it was written for other entries");
        const std::uint64_t sectionsEnd = start + header.length - block::kChecksumBytes;
        catalogue::DiscRecords discs;
        bool timesRead = false, discsRead = false, sumsRead = false;
        while (m_in.Offset() < sectionsEnd) {
            m_in.Mark();
            if (sectionsEnd - m_in.Offset() < block::kSectionHeadBytes ||
                !m_in.Hold(block::kSectionHeadBytes))
                return Problem("a section is cut off");
            const block::SectionHead head = block::GetSectionHead(m_in.Pos());
            m_in.Advance(block::kSectionHeadBytes);
            if (head.length > sectionsEnd - m_in.Offset()) return Problem("a section runs past the block");
            bool read = true;
            if (head.kind == block::kEntryTimes) {
                read = !timesRead && head.length == std::uint64_t{8} * m_entries.Size() && ReadTimes();
                timesRead = true;
            } else if (head.kind == block::kChecksums) {
                read = !sumsRead && head.length >= block::kSumBytes * m_entries.Size() + 4 &&
                       ReadSums(head.length);
                sumsRead = true;
            } else if (head.kind == block::kDiscs) {
                read = !discsRead && ReadDiscs(head.length, discs);
                discsRead = true;
            } else {
                read = Skip(head.length);  // a kind of a later version
            }
            if (!read) return Problem(m_problem.empty() ? "a section is damaged" : m_problem);
        }
        m_in.Mark();
        m_in.HashInto(nullptr);
        if (!m_in.Hold(block::kChecksumBytes)) return Problem("the block is cut off");
        const std::uint64_t stored = block::Get64(m_in.Pos());
        m_in.Advance(block::kChecksumBytes);
        if (stored != XXH3_64bits_digest(&state)) return Problem("its checksum does not match its bytes");
        if (!timesRead) m_entries.ClearDates();
        if (!sumsRead) m_entries.ClearSums();
        m_extension.discs = std::move(discs);
    }

    bool ReadTimes() {
        // A count at a time, so that only a chunk of the file is held while the times go into the store.
        constexpr std::size_t kTimesAtOnce = cdi::kReadChunk / 8;
        const std::span<std::int64_t> times = m_entries.AllDates();
        for (std::size_t i = 0; i < times.size();) {
            const std::size_t count = std::min(kTimesAtOnce, times.size() - i);
            m_in.Mark();
            if (!m_in.Hold(count * 8)) return false;
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(times.data() + i, m_in.Pos(), count * 8);
            } else {
                for (std::size_t k = 0; k < count; ++k)
                    times[i + k] = static_cast<std::int64_t>(cdi::block::Get64(m_in.Pos() + 8 * k));
            }
            m_in.Advance(count * 8);
            i += count;
        }
        return true;
    }

    bool ReadSums(std::uint64_t length) {
        constexpr std::size_t kSumsAtOnce = cdi::kReadChunk / cdi::block::kSumBytes;
        const std::span<EntryStore::FileSum> sums = m_entries.AllSums();
        for (std::size_t i = 0; i < sums.size();) {
            const std::size_t count = std::min(kSumsAtOnce, sums.size() - i);
            m_in.Mark();
            if (!m_in.Hold(count * cdi::block::kSumBytes)) return false;
            for (std::size_t k = 0; k < count; ++k, ++i)
                if (!cdi::block::LoadSum(m_in.Pos() + k * cdi::block::kSumBytes, sums[i])) return false;
            m_in.Advance(count * cdi::block::kSumBytes);
        }
        // What follows the checksums lies inside the block, as the length was checked against it.
        const std::uint64_t rest = length - cdi::block::kSumBytes * sums.size();
        if (static_cast<std::uint64_t>(static_cast<std::size_t>(rest)) != rest) return false;
        m_in.Mark();
        if (!m_in.Hold(static_cast<std::size_t>(rest))) return false;
        const std::string_view payload(m_in.Pos(), static_cast<std::size_t>(rest));
        m_in.Advance(payload.size());
        return cdi::block::DecodeReadErrors(payload, m_entries, m_problem);
    }

    bool ReadDiscs(std::uint64_t length, catalogue::DiscRecords& discs) {
        // The length lies inside the block, and the block inside the file: holding it is bounded by both.
        if (static_cast<std::uint64_t>(static_cast<std::size_t>(length)) != length) return false;
        m_in.Mark();
        if (!m_in.Hold(static_cast<std::size_t>(length))) return false;
        const std::string_view payload(m_in.Pos(), static_cast<std::size_t>(length));
        m_in.Advance(payload.size());
        return cdi::block::DecodeDiscs(payload, m_entries.Size(), discs, m_problem);
    }

    bool Skip(std::uint64_t length) {
        while (length > 0) {
            const std::size_t step =
                static_cast<std::size_t>(std::min<std::uint64_t>(length, cdi::kReadChunk));
            m_in.Mark();
            if (!m_in.Hold(step)) return false;
            m_in.Advance(step);
            length -= step;
        }
        return true;
    }

    void Problem(std::string what) {
        m_entries.ClearDates();
        m_entries.ClearSums();
        m_extension.discs.Clear();
        if (!m_in.ReadError().empty()) what = "it cannot be read: " + m_in.ReadError();
        m_extension.problem = std::move(what);
    }

    StreamBytes& m_in;
    EntryStore& m_entries;
    cdi::Extension& m_extension;
    std::string m_problem;
};

bool Load(StreamBytes& in, EntryStore& entries, std::string& error, cdi::Extension* extension) {
    XXH3_state_t entryHash;
    if (extension) {
        *extension = {};
        XXH3_64bits_reset(&entryHash);
        in.HashInto(&entryHash);
    }
    Loader loader(in, entries, error);
    if (!loader.Run()) {
        entries.Clear();
        return false;
    }
    if (extension) BlockReader(in, entries, *extension).Run(entryHash);
    return true;
}

// Whether any entry has a known time: a store whose dated entries were all deleted writes no times.
bool AnyKnownTime(const EntryStore& entries) {
    if (!entries.HasDates()) return false;
    for (std::size_t i = 0; i < entries.Size(); ++i)
        if (entries.Modified(i) != EntryStore::kUnknownTime) return true;
    return false;
}

// Whether any entry has a checksum or a read error: a store whose summed entries were all deleted writes
// none.
bool AnySum(const EntryStore& entries) {
    if (!entries.HasSums()) return false;
    for (std::size_t i = 0; i < entries.Size(); ++i)
        if (entries.Sum(i).state != EntryStore::SumState::None) return true;
    return false;
}

// Writes the extension block for entries whose bytes `entryHash` hashed, through `emit` (which hashes what
// it is given into `state` when asked).
template <typename Emit>
bool WriteBlock(const EntryStore& entries, const catalogue::DiscRecords* discs, std::uint64_t entryHash,
                std::string& buffer, Emit&& emit) {
    namespace block = cdi::block;
    const bool times = AnyKnownTime(entries);
    const bool sums = AnySum(entries);
    const std::string errorBytes = sums ? block::EncodeReadErrors(entries.ReadErrors()) : std::string();
    const std::string discBytes = discs && !discs->Empty() ? block::EncodeDiscs(*discs) : std::string();
    const std::uint64_t n = entries.Size();
    block::Header header;
    header.entries = static_cast<std::uint32_t>(n);
    header.entryHash = entryHash;
    header.length = block::kHeaderBytes + block::kChecksumBytes +
                    (times ? block::kSectionHeadBytes + 8 * n : 0) +
                    (sums ? block::kSectionHeadBytes + block::kSumBytes * n + errorBytes.size() : 0) +
                    (discBytes.empty() ? 0 : block::kSectionHeadBytes + discBytes.size());
    block::PutHeader(header, buffer);
    if (times) {
        block::PutSectionHead({block::kEntryTimes, 0, 8 * n}, buffer);
        // A chunk's worth of times at a time, each copied into place rather than appended byte by byte.
        constexpr std::size_t kTimesAtOnce = tuning::kSaveChunk / 8;
        for (std::size_t i = 0; i < n;) {
            const std::size_t count = std::min<std::size_t>(kTimesAtOnce, n - i);
            const std::size_t at = buffer.size();
            buffer.resize(at + 8 * count);
            for (std::size_t k = 0; k < count; ++k, ++i)
                block::Store64(entries.Modified(i), buffer.data() + at + 8 * k);
            if (!emit(buffer)) return false;
        }
    }
    if (sums) {
        block::PutSectionHead({block::kChecksums, 0, block::kSumBytes * n + errorBytes.size()}, buffer);
        constexpr std::size_t kSumsAtOnce = tuning::kSaveChunk / block::kSumBytes;
        for (std::size_t i = 0; i < n;) {
            const std::size_t count = std::min<std::size_t>(kSumsAtOnce, n - i);
            const std::size_t at = buffer.size();
            buffer.resize(at + block::kSumBytes * count);
            for (std::size_t k = 0; k < count; ++k, ++i)
                block::StoreSum(entries.Sum(i), buffer.data() + at + block::kSumBytes * k);
            if (!emit(buffer)) return false;
        }
        buffer += errorBytes;
    }
    if (!discBytes.empty()) {
        block::PutSectionHead({block::kDiscs, 0, discBytes.size()}, buffer);
        buffer += discBytes;
    }
    return emit(buffer);
}

}  // namespace

namespace cdi {

void WriteText(std::string_view text, std::string& out) {
    const bool ascii = catalogue::IsAscii(text);
    if (ascii && text.size() < 0xFF) {  // nearly every text: one length byte
        out.push_back(static_cast<char>(text.size()));
        out.append(text);
        return;
    }
    if (!ascii && catalogue::IsValidUtf8(text)) {
        const std::u16string wide = Utf8ToUtf16(text);
        out.push_back(static_cast<char>(0xFF));
        Put16(out, kUnicodeMarker);
        PutLength(out, wide.size());
        for (const char16_t u : wide) Put16(out, static_cast<std::uint16_t>(u));
        return;
    }
    PutLength(out, text.size());
    out.append(text);
}

void Write(const EntryStore& entries, std::string& out, const catalogue::DiscRecords* discs) {
    WriteTo(
        entries,
        [&out](std::string_view chunk) {
            out.append(chunk);
            return true;
        },
        discs);
}

bool WriteTo(const EntryStore& entries, const std::function<bool(std::string_view)>& sink,
             const catalogue::DiscRecords* discs) {
    constexpr std::size_t kChunk = tuning::kSaveChunk;
    const bool withBlock = AnyKnownTime(entries) || AnySum(entries) || (discs && !discs->Empty());
    XXH3_state_t state;
    XXH3_64bits_reset(&state);
    // Every byte before the checksum is hashed, first for the entries, then for the block.
    const auto emit = [&](std::string& bytes) {
        if (withBlock) XXH3_64bits_update(&state, bytes.data(), bytes.size());
        const bool written = sink(bytes);
        bytes.clear();
        return written;
    };
    std::string buffer;
    buffer.reserve(kChunk + 4096);
    const std::size_t n = entries.Size();
    if (n < 0xFFFF) {
        Put16(buffer, static_cast<std::uint16_t>(n));
    } else {
        Put16(buffer, 0xFFFF);
        Put32(buffer, static_cast<std::uint32_t>(n));
    }
    EncodedText label, kind, path;
    for (std::size_t i = 0; i < n; ++i) {
        if (i == 0) {
            Put16(buffer, kNewClassTag);
            Put16(buffer, kSchema);
            Put16(buffer, static_cast<std::uint16_t>(kClassName.size()));
            buffer.append(kClassName);
        } else {
            Put16(buffer, kClassTag | 1);
        }
        WriteInterned(label, entries.LabelId(i), entries.Label(i), buffer);
        WriteText(entries.Name(i), buffer);
        WriteInterned(kind, entries.KindId(i), entries.Kind(i), buffer);
        WriteInterned(path, entries.PathId(i), entries.Path(i), buffer);
        WriteText(entries.SizeText(i), buffer);
        if (buffer.size() >= kChunk && !emit(buffer)) return false;
    }
    if (!emit(buffer)) return false;
    if (!withBlock) return true;
    const std::uint64_t entryHash = XXH3_64bits_digest(&state);
    XXH3_64bits_reset(&state);
    if (!WriteBlock(entries, discs, entryHash, buffer, emit)) return false;
    cdi::block::Put64(XXH3_64bits_digest(&state), buffer);
    return sink(buffer);
}

bool Read(std::span<const char> bytes, EntryStore& entries, std::string& error, Extension* extension) {
    entries.Clear();
    error.clear();
    if (extension) *extension = {};
    if (bytes.empty()) return true;  // a zero-length file is an empty catalogue
    StreamBytes in(bytes);
    return Load(in, entries, error, extension);
}

bool ReadChunks(std::uint64_t size, const ChunkSource& source, EntryStore& entries, std::string& error,
                std::size_t chunkBytes, Extension* extension) {
    entries.Clear();
    error.clear();
    if (extension) *extension = {};
    if (size == 0) return true;
    StreamBytes in(size, source, chunkBytes);
    return Load(in, entries, error, extension);
}

}  // namespace cdi
