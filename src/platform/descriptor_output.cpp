#include "platform/descriptor_output.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ecuprobe::platform {

DescriptorOutput::DescriptorOutput(int descriptor, StopCheck check, bool lines, bool owns)
    : fd(descriptor), stopRequested(check), lineBuffered(lines), ownsDescriptor(owns) {
    // One place is kept free for the character that overflow() is given.
    setp(buffer.data(), buffer.data() + buffer.size() - 1);
}

DescriptorOutput::~DescriptorOutput() {
    writeOut();
    if (ownsDescriptor) {
        ::close(fd);
    }
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return writeOut() ? traits_type::not_eof(c) : traits_type::eof();
}

std::streamsize DescriptorOutput::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize taken = 0; taken < count && !failed;) {
        const std::streamsize part = std::min<std::streamsize>(epptr() - pptr(), count - taken);
        std::memcpy(pptr(), text + taken, static_cast<std::size_t>(part));
        pbump(static_cast<int>(part));
        taken += part;
        if (pptr() == epptr()) {
            writeOut();
        }
    }
    const bool lineEnded =
        count > 0 && std::memchr(text, '\n', static_cast<std::size_t>(count)) != nullptr;
    if (lineBuffered && lineEnded) {
        writeOut();
    }
    // Short of count, the stream takes the write as failed.
    return failed ? 0 : count;
}

int DescriptorOutput::sync() {
    return writeOut() ? 0 : -1;
}

bool DescriptorOutput::writeOut() {
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    failed = failed || !writeAll(pbase(), size);
    setp(buffer.data(), buffer.data() + buffer.size() - 1);
    return !failed;
}

bool DescriptorOutput::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
            // A blocking write ends short only when a signal came in the middle of it.
            if (size > 0 && stopRequested != nullptr && stopRequested()) {
                return false;
            }
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, -1) < 0 && (errno != EINTR || stopped())) {
                return false;
            }
        } else if (written >= 0 || errno != EINTR || stopped()) {
            return false;
        }
    }
    return true;
}

bool DescriptorOutput::stopped() const {
    return stopRequested == nullptr || stopRequested();
}

}  // namespace ecuprobe::platform
