#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ecuprobe::platform::testing_support {

// A pseudo-terminal whose master side the test keeps: what the tester writes to
// the slave comes out here byte for byte, and what is written here reaches it.
class PtyPair {
public:
    PtyPair() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) {
            const char* name = ptsname(master);
            slavePath = name != nullptr ? name : "";
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    ~PtyPair() { closeMaster(); }

    bool ready() const { return master >= 0 && !slavePath.empty(); }

    void closeMaster() {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }

    bool send(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until count bytes came or waitMs passed without any.
    std::vector<std::uint8_t> receive(std::size_t count, int waitMs = 2000) const {
        std::vector<std::uint8_t> got(count);
        std::size_t n = 0;
        pollfd readable{master, POLLIN, 0};
        while (n<count&& ::poll(&readable, 1, waitMs)> 0) {
            const ssize_t r = ::read(master, got.data() + n, count - n);
            if (r <= 0) {
                break;
            }
            n += static_cast<std::size_t>(r);
        }
        got.resize(n);
        return got;
    }

    int master = -1;
    std::string slavePath;
};

}  // namespace ecuprobe::platform::testing_support
