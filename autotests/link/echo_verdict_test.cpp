#include "link/echo_verdict.h"

#include <gtest/gtest.h>

#include <vector>

namespace ecuprobe::link {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The type request 0x01 and the data-set selection 0x64 0x20 as written, and
// answers as the ECU frames them.
const Bytes typeRequest{0x01, 0xFF, 0x0D};
const Bytes selectRequest{0x64, 0x20, 0x7C, 0x0D};
const Bytes typeAnswer{0x09, 0xF7, 0x0D};
const Bytes zeroAnswer{0x00, 0x00, 0x0D};

struct EchoCase {
    const char* name;
    Bytes written;
    Bytes echoWindow;
    Bytes after;
    EchoVerdict verdict;
};

TEST(EchoVerdict, TellsWhatCameBackInPlaceOfTheEcho) {
    const EchoCase cases[] = {
        {"exact echo", typeRequest, typeRequest, typeAnswer, EchoVerdict::echoed},
        {"nothing", typeRequest, {}, {}, EchoVerdict::nothing},
        {"nothing, then the answer late", typeRequest, {}, typeAnswer, EchoVerdict::nothing},
        {"the whole echo late, then the answer",
         typeRequest,
         {},
         {0x01, 0xFF, 0x0D, 0x09, 0xF7, 0x0D},
         EchoVerdict::echoed},
        {"the rest of the echo late", selectRequest, {0x64}, {0x20, 0x7C, 0x0D}, EchoVerdict::echoed},
        {"one byte changed", typeRequest, {0xFE, 0xFF, 0x0D}, {}, EchoVerdict::changed},
        {"noise before the echo", typeRequest, {0xA5, 0x01, 0xFF}, {0x0D}, EchoVerdict::changed},
        {"noise in place of the echo",
         typeRequest,
         {0xA5, 0x5A, 0x33},
         {0x17},
         EchoVerdict::changed},
        {"a byte swallowed", selectRequest, {0x64, 0x7C, 0x0D}, {}, EchoVerdict::partial},
        {"cut short by the answer", typeRequest, {0x01, 0x09, 0xF7}, {0x0D}, EchoVerdict::partial},
        {"answer frame in place", typeRequest, typeAnswer, {}, EchoVerdict::answerInPlace},
        {"shorter answer frame in place",
         selectRequest,
         zeroAnswer,
         {},
         EchoVerdict::answerInPlace},
        {"longer answer running on past the echo read",
         typeRequest,
         {0x05, 0x10, 0x20},
         {0x30, 0x9B, 0x0D},
         EchoVerdict::answerInPlace},
        {"a frame that does not add up", typeRequest, {0x09, 0xF6, 0x0D}, {}, EchoVerdict::changed},
    };
    for (const EchoCase& c : cases) {
        EXPECT_EQ(classifyEcho(c.written, c.echoWindow, c.after), c.verdict) << c.name;
    }
}

TEST(EchoVerdict, FindsTheFrameTheBytesBeginWith) {
    const struct {
        Bytes bytes;
        std::size_t length;
    } cases[] = {
        {{0x09, 0xF7, 0x0D, 0x55}, 3},
        {{0x09, 0xF6, 0x0D}, 0},
        {{0x09, 0xF7}, 0},
        {{0x0D}, 0},
        {{}, 0},
        // A checksum of 0x0D, then the terminator.
        {{0xF3, 0x0D, 0x0D}, 3},
        // Escaped data 0x0D: 0x40 0xCD, checksum 0xF3.
        {{0x40, 0xCD, 0xF3, 0x0D}, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(leadingFrameLength(c.bytes), c.length) << ::testing::PrintToString(c.bytes);
    }
}

}  // namespace
}  // namespace ecuprobe::link
