#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ecuprobe::cli {

// Bytes as they come in on a descriptor (stdin), waited for with a deadline.
class InputBytes {
public:
    struct Arrival {
        std::string bytes;
        // No byte will come any more.
        bool ended = false;
    };

    virtual ~InputBytes() = default;
    // Waits up to timeoutMs and returns what came by then, possibly nothing
    // (also when a stop was asked for).
    virtual Arrival wait(std::uint32_t timeoutMs) = 0;

    // At most this many bytes come in one arrival.
    static constexpr std::size_t chunkBytes = 4096;
};

// The descriptor's bytes as this system waits for them: poll on POSIX; on
// Windows, where neither a console nor a pipe can be polled, a reader thread.
std::unique_ptr<InputBytes> inputBytesFrom(int descriptor);

}  // namespace ecuprobe::cli
