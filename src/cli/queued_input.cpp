#include "cli/queued_input.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "cli/stop_signals.h"

namespace ecuprobe::cli {

namespace {

// How often a wait looks whether a stop was asked for.
constexpr std::uint32_t stopCheckMs = 50;

}  // namespace

// Shared with the reader thread, which may outlive its QueuedInput.
struct QueuedInput::Queue {
    std::mutex mutex;
    std::condition_variable changed;
    std::string bytes;
    bool ended = false;
    bool abandoned = false;

    void readAll(const ReadChunk& read) {
        while (true) {
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [this] { return abandoned || bytes.size() < maxQueuedBytes; });
                if (abandoned) {
                    return;
                }
            }
            const std::optional<std::string> chunk = read();
            const std::lock_guard lock(mutex);
            if (!chunk) {
                ended = true;
                changed.notify_all();
                return;
            }
            bytes += *chunk;
            changed.notify_all();
        }
    }
};

QueuedInput::QueuedInput(ReadChunk read) : queue(std::make_shared<Queue>()) {
    std::thread([shared = queue, reader = std::move(read)] { shared->readAll(reader); }).detach();
}

QueuedInput::~QueuedInput() {
    const std::lock_guard lock(queue->mutex);
    queue->abandoned = true;
    queue->changed.notify_all();
}

InputBytes::Arrival QueuedInput::wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(queue->mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (queue->bytes.empty() && !queue->ended && !StopSignals::requested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            break;
        }
        queue->changed.wait_for(lock, std::min<std::chrono::steady_clock::duration>(
                                          deadline - now, std::chrono::milliseconds(stopCheckMs)));
    }
    Arrival arrival;
    const std::size_t taken = std::min(queue->bytes.size(), chunkBytes);
    arrival.bytes = queue->bytes.substr(0, taken);
    queue->bytes.erase(0, taken);
    arrival.ended = queue->ended && queue->bytes.empty();
    queue->changed.notify_all();
    return arrival;
}

}  // namespace ecuprobe::cli
