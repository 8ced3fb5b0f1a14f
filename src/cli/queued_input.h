#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "cli/input_bytes.h"

namespace ecuprobe::cli {

// Input read by a thread of its own with a blocking call, handed over through
// a queue that wait() takes from with a deadline. The reader stops reading
// while the queue is full, so memory stays bounded however fast input comes
// and however seldom wait() is called. A wait returns early once a stop was
// asked for.
class QueuedInput final : public InputBytes {
public:
    // Blocks until bytes came (at most chunkBytes of them); nullopt at the end
    // of input or on a failure.
    using ReadChunk = std::function<std::optional<std::string>()>;

    static constexpr std::size_t maxQueuedBytes = 16 * chunkBytes;

    explicit QueuedInput(ReadChunk read);
    QueuedInput(const QueuedInput&) = delete;
    QueuedInput& operator=(const QueuedInput&) = delete;
    // The reader may be blocked in its call for good (a console nobody types
    // at); it is left to end with the process and reads nothing more.
    ~QueuedInput() override;

    Arrival wait(std::uint32_t timeoutMs) override;

private:
    struct Queue;

    std::shared_ptr<Queue> queue;
};

}  // namespace ecuprobe::cli
