#pragma once

#include <array>
#include <streambuf>

namespace cli {

// What std::cout writes through: a buffer emptied into file descriptor 1 that keeps the system's reason
// for the first failed write, so that output lost on a full disc cannot pass for success.
class Output : public std::streambuf {
public:
    Output();
    ~Output() override;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Writes out what is buffered; the errno of the first failed write, or 0 when every byte went out.
    int Finish();

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

private:
    // Writes [data, data + size) to the descriptor; false (the reason kept) when it could not.
    bool WriteAll(const char* data, std::size_t size);
    bool Drain();

    std::array<char, 64 * 1024> m_buffer;
    std::streambuf* m_previous = nullptr;
    int m_error = 0;
};

}  // namespace cli
