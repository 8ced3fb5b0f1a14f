#pragma once

#include <array>
#include <streambuf>

namespace ecuprobe::platform {

// An output stream buffer on a POSIX descriptor whose writes a stop can cut short.
// The standard streams write on after a signal (libstdc++ retries EINTR, stdio
// retries the rest of a short write), so a write to a terminal held with Ctrl-S, or
// to a line that never drains, would block again and ignore Ctrl-C. Here a write
// that a signal interrupted gives up once `stopRequested` says so; without a check,
// any signal that a handler took gives up. A descriptor opened with O_NONBLOCK
// waits in poll(), which no handler restarts. A write given up fails the stream.
class DescriptorOutput final : public std::streambuf {
public:
    using StopCheck = bool (*)();

    // lineBuffered: each line is written as it ends (a person's terminal); else
    // when the buffer fills or the stream is flushed. ownsDescriptor: closed with it.
    DescriptorOutput(int fd, StopCheck stopRequested, bool lineBuffered, bool ownsDescriptor);
    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;
    ~DescriptorOutput() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    bool writeOut();
    bool writeAll(const char* data, std::size_t size);
    bool stopped() const;

    int fd;
    StopCheck stopRequested;
    bool lineBuffered;
    bool ownsDescriptor;
    bool failed = false;
    std::array<char, 4096> buffer{};
};

}  // namespace ecuprobe::platform
