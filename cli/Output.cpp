#include "cli/Output.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {
long WriteSome(const char* data, std::size_t size) {
#ifdef _WIN32
    return _write(1, data, static_cast<unsigned>(size > 0x40000000 ? 0x40000000 : size));
#else
    return static_cast<long>(::write(1, data, size));
#endif
}
}  // namespace

Output::Output() {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    m_previous = std::cout.rdbuf(this);
}

Output::~Output() {
    Drain();
    std::cout.rdbuf(m_previous);
}

int Output::Finish() {
    Drain();
    return m_error;
}

bool Output::WriteAll(const char* data, std::size_t size) {
    while (size > 0 && m_error == 0) {
        const long written = WriteSome(data, size);
        if (written < 0) {
            if (errno != EINTR) m_error = errno;
            continue;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return m_error == 0;
}

bool Output::Drain() {
    const bool ok = WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return ok;
}

Output::int_type Output::overflow(int_type c) {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize Output::xsputn(const char* data, std::streamsize size) {
    const auto count = static_cast<std::size_t>(size);
    if (count <= static_cast<std::size_t>(epptr() - pptr())) {
        std::memcpy(pptr(), data, count);
        pbump(static_cast<int>(size));
        return size;
    }
    // What is buffered goes first; a record as large as the buffer then goes out as it is.
    if (!Drain()) return 0;
    if (count >= m_buffer.size()) return WriteAll(data, count) ? size : 0;
    std::memcpy(pptr(), data, count);
    pbump(static_cast<int>(size));
    return size;
}

int Output::sync() {
    return Drain() ? 0 : -1;
}

}  // namespace cli
