#include "cli/input_lines.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/queued_input.h"
#include "cli/stop_signals.h"

namespace ecuprobe::cli {
namespace {

class InputLinesTest : public testing::Test {
protected:
#ifdef _WIN32
    void SetUp() override {
        ASSERT_EQ(::_pipe(ends, 65536, _O_BINARY), 0);
    }
#else
    void SetUp() override {
        ASSERT_EQ(::pipe(ends), 0);
    }
#endif
    // The writing end first: a reader still waiting on the pipe sees its end.
    void TearDown() override {
        if (ends[1] >= 0) {
            ::close(ends[1]);
        }
        ::close(ends[0]);
    }
    void send(const std::string& text) {
        ASSERT_EQ(::write(ends[1], text.data(), static_cast<unsigned>(text.size())),
                  static_cast<int>(text.size()));
    }
    void endInput() {
        ::close(ends[1]);
        ends[1] = -1;
    }

    int ends[2] = {-1, -1};
};

using Lines = std::vector<std::string>;

// The texts of the lines, a refused long line as "<too long>".
Lines texts(const std::vector<InputLine>& lines) {
    Lines out;
    for (const InputLine& line : lines) {
        out.push_back(line.tooLong ? "<too long>" : line.text);
    }
    return out;
}

// Long enough never to run out on a loaded machine: a wait returns as soon as
// bytes came (on Windows, once the reader thread has handed them over).
constexpr std::uint32_t untilItComesMs = 10000;

// Every line until the end of input, as the monitor's loop takes them.
Lines readToEnd(InputLines& input) {
    Lines all;
    while (!input.ended()) {
        const Lines got = texts(input.wait(untilItComesMs));
        all.insert(all.end(), got.begin(), got.end());
    }
    return all;
}

TEST_F(InputLinesTest, ReturnsCompleteLinesAndKeepsAPartOneForLater) {
    InputLines input(ends[0]);
    send("inj 1\npu");
    EXPECT_EQ(texts(input.wait(untilItComesMs)), Lines{"inj 1"});
    send("mp\r\nfan\nquit\n");
    EXPECT_EQ(texts(input.wait(untilItComesMs)), (Lines{"pump", "fan", "quit"}));
    EXPECT_FALSE(input.ended());
}

TEST_F(InputLinesTest, NothingTypedGivesNoLinesWithoutWaiting) {
    InputLines input(ends[0]);
    EXPECT_EQ(texts(input.wait(0)), Lines{});
    EXPECT_FALSE(input.ended());
}

TEST_F(InputLinesTest, EndOfInputHandsOverTheUnfinishedLastLine) {
    InputLines input(ends[0]);
    send("quit");
    EXPECT_EQ(texts(input.wait(untilItComesMs)), Lines{});
    endInput();
    EXPECT_EQ(texts(input.wait(untilItComesMs)), Lines{"quit"});
    EXPECT_TRUE(input.ended());
    EXPECT_EQ(texts(input.wait(0)), Lines{});
}

TEST_F(InputLinesTest, ALineLongerThanTheLimitIsRefusedWithoutHoldingItsText) {
    InputLines input(ends[0]);
    std::thread writer([this] {
        // A megabyte without a newline, then a command: far more than the pipe holds.
        const std::string block(64 * 1024, 'x');
        for (int i = 0; i < 16; ++i) {
            send(block);
        }
        send("\nquit\n");
        endInput();
    });
    const Lines all = readToEnd(input);
    writer.join();
    EXPECT_EQ(all, (Lines{"<too long>", "quit"}));
}

TEST_F(InputLinesTest, ALineOfExactlyTheLimitIsTaken) {
    InputLines input(ends[0]);
    send(std::string(InputLines::maxLineBytes, 'a') + "\n");
    endInput();
    const Lines all = readToEnd(input);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].size(), InputLines::maxLineBytes);
}

// Input handed over by a reader thread, as stdin is read on Windows, driven by
// a scripted blocking read.
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

class QueuedInputTest : public testing::Test {
protected:
    void TearDown() override { typed->endInput(); }

    InputLines linesOf(const std::shared_ptr<TypedText>& source) {
        return InputLines(std::make_unique<QueuedInput>([source] { return source->read(); }));
    }

    std::shared_ptr<TypedText> typed = std::make_shared<TypedText>();
};

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
