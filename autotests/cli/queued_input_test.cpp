#include "cli/queued_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/input_lines.h"
#include "cli/stop_signals.h"

// Input handed over by a reader thread, as stdin is read on Windows, driven by
// a scripted blocking read.
namespace ecuprobe::cli {
namespace {

// A blocking read that returns what the test types, in the pieces it types
// them. Shared with the reader thread, which may outlive the test's input.
class TypedText {
public:
    void type(std::string text) {
        const std::lock_guard lock(mutex);
        pieces.push_back(std::move(text));
        changed.notify_all();
    }
    void endInput() {
        const std::lock_guard lock(mutex);
        ended = true;
        changed.notify_all();
    }
    std::optional<std::string> read() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return ended || !pieces.empty(); });
        if (pieces.empty()) {
            return std::nullopt;
        }
        std::string piece = std::move(pieces.front());
        pieces.pop_front();
        return piece;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> pieces;
    bool ended = false;
};

using Lines = std::vector<std::string>;

Lines texts(const std::vector<InputLine>& lines) {
    Lines out;
    for (const InputLine& line : lines) {
        out.push_back(line.tooLong ? "<too long>" : line.text);
    }
    return out;
}

class QueuedInputTest : public testing::Test {
protected:
    void TearDown() override { typed->endInput(); }

    InputLines linesOf(const std::shared_ptr<TypedText>& source) {
        return InputLines(std::make_unique<QueuedInput>([source] { return source->read(); }));
    }

    std::shared_ptr<TypedText> typed = std::make_shared<TypedText>();
};

// Deadlines long enough never to run out on a loaded machine: each wait returns
// as soon as the reader has handed something over.
constexpr std::uint32_t untilItComesMs = 10000;

TEST_F(QueuedInputTest, TypedPiecesBecomeLinesAndTheEndHandsOverTheLastOne) {
    InputLines input = linesOf(typed);
    typed->type("inj 1\npu");
    EXPECT_EQ(texts(input.wait(untilItComesMs)), Lines{"inj 1"});
    typed->type("mp\r\nfan\nqu");
    Lines got;
    while (got.size() < 2) {
        const Lines more = texts(input.wait(untilItComesMs));
        got.insert(got.end(), more.begin(), more.end());
    }
    EXPECT_EQ(got, (Lines{"pump", "fan"}));
    typed->endInput();
    got.clear();
    while (!input.ended()) {
        const Lines more = texts(input.wait(untilItComesMs));
        got.insert(got.end(), more.begin(), more.end());
    }
    EXPECT_EQ(got, Lines{"qu"});
}

TEST_F(QueuedInputTest, NothingTypedGivesNothingAtOnce) {
    QueuedInput input([source = typed] { return source->read(); });
    const InputBytes::Arrival arrival = input.wait(0);
    EXPECT_TRUE(arrival.bytes.empty());
    EXPECT_FALSE(arrival.ended);
}

TEST_F(QueuedInputTest, AStopEndsTheWaitWithoutInput) {
    const StopSignals signals;
    QueuedInput input([source = typed] { return source->read(); });
    StopSignals::record(SIGINT);
    // A whole minute, were the stop not seen.
    EXPECT_TRUE(input.wait(60000).bytes.empty());
    EXPECT_TRUE(StopSignals::forgetInterrupt());
}

// A reader that could always read more, and a wait that comes only after it
// has filled the queue: it must stop reading until the queue is taken from.
TEST(QueuedInputMemory, TheReaderStopsWhileTheQueueIsFull) {
    struct Flood {
        std::mutex mutex;
        std::condition_variable changed;
        std::size_t produced = 0;
        std::size_t taken = 0;
        std::size_t mostOutstanding = 0;
    };
    const auto flood = std::make_shared<Flood>();
    constexpr std::size_t total = 4 * QueuedInput::maxQueuedBytes;
    QueuedInput input([flood]() -> std::optional<std::string> {
        const std::lock_guard lock(flood->mutex);
        if (flood->produced == total) {
            return std::nullopt;
        }
        flood->mostOutstanding = std::max(flood->mostOutstanding, flood->produced - flood->taken);
        flood->produced += InputBytes::chunkBytes;
        flood->changed.notify_all();
        return std::string(InputBytes::chunkBytes, 'a');
    });
    {
        std::unique_lock lock(flood->mutex);
        flood->changed.wait(lock,
                            [&flood] { return flood->produced >= QueuedInput::maxQueuedBytes; });
    }
    for (bool ended = false; !ended;) {
        const InputBytes::Arrival arrival = input.wait(untilItComesMs);
        const std::lock_guard lock(flood->mutex);
        flood->taken += arrival.bytes.size();
        ended = arrival.ended;
    }
    EXPECT_EQ(flood->taken, total);
    // At most the queue's limit, and the one piece the wait took but did not count yet.
    EXPECT_LE(flood->mostOutstanding, QueuedInput::maxQueuedBytes);
}

}  // namespace
}  // namespace ecuprobe::cli
