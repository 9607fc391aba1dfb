#include "catalogue/CdiFormat.h"

#include <cstdint>
#include <cstring>

#include "catalogue/DisplayText.h"
#include "catalogue/Utf8.h"

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
    for (std::size_t pos = 0; pos < text.size() && NextCodePoint(text, pos, cp);) {
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

// Reads the archive stream with bounds checks on every step.
class Reader {
public:
    explicit Reader(std::span<const char> bytes) : m_bytes(bytes) {}

    std::size_t Offset() const { return m_pos; }
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }

    bool Get8(std::uint8_t& v) {
        if (Remaining() < 1) return false;
        v = static_cast<std::uint8_t>(m_bytes[m_pos++]);
        return true;
    }
    bool Get16(std::uint16_t& v) {
        if (Remaining() < 2) return false;
        v = static_cast<std::uint16_t>(Byte(0) | (Byte(1) << 8));
        m_pos += 2;
        return true;
    }
    bool Get32(std::uint32_t& v) {
        if (Remaining() < 4) return false;
        v = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
        m_pos += 4;
        return true;
    }
    std::string_view Take(std::size_t n) {
        const std::string_view out(m_bytes.data() + m_pos, n);
        m_pos += n;
        return out;
    }

private:
    std::uint32_t Byte(std::size_t k) const { return static_cast<unsigned char>(m_bytes[m_pos + k]); }

    std::span<const char> m_bytes;
    std::size_t m_pos = 0;
};

class Loader {
public:
    Loader(std::span<const char> bytes, EntryStore& entries, std::string& error)
        : m_in(bytes), m_entries(entries), m_error(error) {}

    bool Run() {
        std::uint16_t count16 = 0;
        if (!m_in.Get16(count16)) return Fail("the file ends before the entry count");
        std::uint32_t count = count16;
        if (count16 == 0xFFFF && !m_in.Get32(count)) return Fail("the file ends inside the entry count");
        if (static_cast<std::uint64_t>(count) * kMinEntryBytes > m_in.Remaining())
            return Fail("the entry count (" + std::to_string(count) + ") is larger than the file can hold");
        m_entries.Reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!ReadObjectTag(i) || !ReadEntry(i)) return false;
        }
        return true;
    }

private:
    bool Fail(const std::string& what) {
        m_error = what + " (at byte " + std::to_string(m_in.Offset()) + ")";
        return false;
    }

    bool ReadObjectTag(std::uint32_t i) {
        const std::string which = "entry " + std::to_string(i);
        std::uint16_t tag = 0;
        if (!m_in.Get16(tag)) return Fail("the file ends before " + which);
        std::uint32_t classNumber = 0;
        if (tag == kNewClassTag) {
            if (!ReadClassDescription()) return false;
            classNumber = m_nextNumber++;
            m_classNumber = classNumber;
        } else if (tag == kBigObjectTag) {
            std::uint32_t big = 0;
            if (!m_in.Get32(big)) return Fail("the file ends inside the tag of " + which);
            if (!(big & kBigClassTag)) return Fail(which + " refers back to an earlier entry");
            classNumber = big & ~kBigClassTag;
        } else if (tag & kClassTag) {
            classNumber = tag & ~kClassTag;
        } else if (tag == 0) {
            return Fail(which + " is a null entry");
        } else {
            return Fail(which + " refers back to an earlier entry");
        }
        if (m_classNumber == 0 || classNumber != m_classNumber)
            return Fail(which + " names an unknown class number " + std::to_string(classNumber));
        ++m_nextNumber;  // the object itself takes the next number
        return true;
    }

    bool ReadClassDescription() {
        std::uint16_t schema = 0, nameLength = 0;
        if (!m_in.Get16(schema) || !m_in.Get16(nameLength))
            return Fail("the file ends inside a class description");
        if (nameLength >= kMaxClassName) return Fail("a class name is 64 bytes or longer");
        if (m_in.Remaining() < nameLength) return Fail("the file ends inside a class name");
        const std::string_view name = m_in.Take(nameLength);
        if (name != kClassName) return Fail("the file holds another class (\"" + ToDisplayUtf8(name) + "\")");
        if (schema != kSchema) return Fail("the entries have schema " + std::to_string(schema) + ", not 1");
        return true;
    }

    bool ReadEntry(std::uint32_t i) {
        std::string_view texts[5];
        std::string* owned[5] = {&m_scratch[0], &m_scratch[1], &m_scratch[2], &m_scratch[3], &m_scratch[4]};
        for (int k = 0; k < 5; ++k) {
            if (!ReadText(texts[k], *owned[k]))
                return Fail(m_error.empty() ? "entry " + std::to_string(i) + " is cut short" : m_error);
        }
        m_entries.Append(texts[0], texts[1], texts[2], texts[3], texts[4]);
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

    // Narrow texts are views into the file's bytes; UTF-16 texts are converted into `owned`.
    bool ReadText(std::string_view& text, std::string& owned) {
        std::uint64_t length = 0;
        bool unicode = false;
        if (!ReadLength(length, unicode, true)) return false;
        const std::uint64_t bytes = unicode ? length * 2 : length;
        if (bytes > m_in.Remaining()) {
            m_error = "a text length (" + std::to_string(length) + ") is larger than the rest of the file";
            return false;
        }
        const std::string_view raw = m_in.Take(static_cast<std::size_t>(bytes));
        if (!unicode) {
            text = raw;
            return true;
        }
        owned.clear();
        const auto unit = [&](std::size_t k) {
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
            AppendUtf8(owned, cp);
        }
        text = owned;
        return true;
    }

    Reader m_in;
    EntryStore& m_entries;
    std::string& m_error;
    std::uint32_t m_nextNumber = 1;   // what the writer numbered next: classes and objects from 1 on
    std::uint32_t m_classNumber = 0;  // the number of the entry class once described
    std::string m_scratch[5];
};

}  // namespace

namespace cdi {

void WriteText(std::string_view text, std::string& out) {
    if (!IsAscii(text) && IsValidUtf8(text)) {
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

void Write(const EntryStore& entries, std::string& out) {
    WriteTo(entries, [&out](std::string_view chunk) {
        out.append(chunk);
        return true;
    });
}

bool WriteTo(const EntryStore& entries, const std::function<bool(std::string_view)>& sink) {
    constexpr std::size_t kChunk = 1 << 20;
    std::string buffer;
    buffer.reserve(kChunk + 4096);
    const std::size_t n = entries.Size();
    if (n < 0xFFFF) {
        Put16(buffer, static_cast<std::uint16_t>(n));
    } else {
        Put16(buffer, 0xFFFF);
        Put32(buffer, static_cast<std::uint32_t>(n));
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (i == 0) {
            Put16(buffer, kNewClassTag);
            Put16(buffer, kSchema);
            Put16(buffer, static_cast<std::uint16_t>(kClassName.size()));
            buffer.append(kClassName);
        } else {
            Put16(buffer, kClassTag | 1);
        }
        WriteText(entries.Label(i), buffer);
        WriteText(entries.Name(i), buffer);
        WriteText(entries.Kind(i), buffer);
        WriteText(entries.Path(i), buffer);
        WriteText(entries.SizeText(i), buffer);
        if (buffer.size() >= kChunk) {
            if (!sink(buffer)) return false;
            buffer.clear();
        }
    }
    return sink(buffer);
}

bool Read(std::span<const char> bytes, EntryStore& entries, std::string& error) {
    entries.Clear();
    error.clear();
    if (bytes.empty()) return true;  // a zero-length file is an empty catalogue
    Loader loader(bytes, entries, error);
    if (loader.Run()) return true;
    entries.Clear();
    return false;
}

}  // namespace cdi
