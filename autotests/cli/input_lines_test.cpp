#include "cli/input_lines.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ecuprobe::cli {
namespace {

class InputLinesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::pipe(ends), 0); }
    void TearDown() override {
        ::close(ends[0]);
        if (ends[1] >= 0) {
            ::close(ends[1]);
        }
    }
    void send(const std::string& text) {
        ASSERT_EQ(::write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void endInput() {
        ::close(ends[1]);
        ends[1] = -1;
    }

    int ends[2] = {-1, -1};
};

using Lines = std::vector<std::string>;

TEST_F(InputLinesTest, ReturnsCompleteLinesAndKeepsAPartOneForLater) {
    InputLines input(ends[0]);
    send("inj 1\npu");
    EXPECT_EQ(input.wait(0), Lines{"inj 1"});
    send("mp\r\nfan\nquit\n");
    EXPECT_EQ(input.wait(0), (Lines{"pump", "fan", "quit"}));
    EXPECT_FALSE(input.ended());
}

TEST_F(InputLinesTest, NothingTypedGivesNoLinesWithoutWaiting) {
    InputLines input(ends[0]);
    EXPECT_EQ(input.wait(0), Lines{});
    EXPECT_FALSE(input.ended());
}

TEST_F(InputLinesTest, EndOfInputHandsOverTheUnfinishedLastLine) {
    InputLines input(ends[0]);
    send("quit");
    EXPECT_EQ(input.wait(0), Lines{});
    endInput();
    EXPECT_EQ(input.wait(0), Lines{"quit"});
    EXPECT_TRUE(input.ended());
    EXPECT_EQ(input.wait(0), Lines{});
}

}  // namespace
}  // namespace ecuprobe::cli
