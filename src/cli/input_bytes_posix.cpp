#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>

#include "cli/input_bytes.h"

namespace ecuprobe::cli {

namespace {

class PolledInput final : public InputBytes {
public:
    explicit PolledInput(int descriptor) : fd(descriptor) {}

    Arrival wait(std::uint32_t timeoutMs) override {
        pollfd watched{fd, POLLIN, 0};
        const int timeout = timeoutMs > INT_MAX ? INT_MAX : static_cast<int>(timeoutMs);
        if (::poll(&watched, 1, timeout) <= 0) {
            return {};
        }
        std::array<char, chunkBytes> chunk{};
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0) {
            // A terminal that has gone reads EIO for ever: take it as the end of input.
            return {{}, errno != EINTR && errno != EAGAIN};
        }
        return {std::string(chunk.data(), static_cast<std::size_t>(got)), got == 0};
    }

private:
    int fd;
};

}  // namespace

std::unique_ptr<InputBytes> inputBytesFrom(int descriptor) {
    return std::make_unique<PolledInput>(descriptor);
}

}  // namespace ecuprobe::cli
