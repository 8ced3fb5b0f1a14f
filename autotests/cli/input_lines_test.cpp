#include "cli/input_lines.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

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

}  // namespace
}  // namespace ecuprobe::cli
