#include "platform/wire_trace_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "endless_text.h"
#include "platform/wire_trace.h"

namespace ecuprobe::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = TraceLine::Kind;

TEST(WireTraceReader, ReadsEveryKindOfLineTheTraceWrites) {
    const struct {
        const char* text;
        TraceLine line;
    } cases[] = {
        {"      1234 TX   62 40 CD 00 91 0D",
         {1234, Kind::written, {0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D}, {}}},
        {"      1237 ECHO 62 40", {1237, Kind::echo, {0x62, 0x40}, {}}},
        {"         9 RX   FF", {9, Kind::received, {0xFF}, {}}},
        {"4294967295 RX   0d", {4294967295u, Kind::received, {0x0D}, {}}},
        {"      1300 --   Ошибка Read from COM in ReadByte().",
         {1300, Kind::note, {}, "Ошибка Read from COM in ReadByte()."}},
        {"7 -- fault vanish on 0x61\r", {7, Kind::note, {}, "fault vanish on 0x61"}},
        {"\t12\tRX\t01\t02 ", {12, Kind::received, {0x01, 0x02}, {}}},
    };
    for (const auto& c : cases) {
        const ParsedTraceLine parsed = parseTraceLine(c.text);
        ASSERT_TRUE(parsed.line.has_value()) << c.text << ": " << parsed.error;
        EXPECT_EQ(*parsed.line, c.line) << c.text;
    }
}

TEST(WireTraceReader, SaysWhatIsWrongWithABadLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"TX 01 FF 0D", "not a time stamp in milliseconds: 'TX'"},
        {"-5 TX 01", "not a time stamp in milliseconds: '-5'"},
        {"4294967296 TX 01", "not a time stamp in milliseconds: '4294967296'"},
        {"12ab RX 01", "not a time stamp in milliseconds: '12ab'"},
        {"12 XX 01", "not TX, ECHO, RX or --: 'XX'"},
        {"12", "not TX, ECHO, RX or --: ''"},
        {"12 RX", "no bytes after the direction"},
        {"12 RX 1", "not a hex byte: '1'"},
        {"12 RX 100", "not a hex byte: '100'"},
        {"12 TX 01 0x", "not a hex byte: '0x'"},
        {"12 TX 01 G0", "not a hex byte: 'G0'"},
        {"12 TX 01 -1", "not a hex byte: '-1'"},
        {"12 TX 0123456789ABCDEF0123", "not a hex byte: '0123456789ABCDEF...'"},
    };
    for (const auto& c : cases) {
        const ParsedTraceLine parsed = parseTraceLine(c.text);
        EXPECT_FALSE(parsed.line.has_value()) << c.text;
        EXPECT_EQ(parsed.error, c.error) << c.text;
    }
    for (const char* blank : {"", "   ", "\r", "\t \r"}) {
        const ParsedTraceLine parsed = parseTraceLine(blank);
        EXPECT_FALSE(parsed.line.has_value());
        EXPECT_EQ(parsed.error, "") << "a blank line is no problem";
    }
}

TEST(WireTraceReader, ReadsBackWhatTheTraceWroteAndNumbersTheBadLines) {
    FakeClock clock(100);
    std::ostringstream written;
    WireTrace trace(written, clock);
    trace.bytes(WireTrace::Direction::written, Bytes{0x01, 0xFF, 0x0D});
    trace.bytes(WireTrace::Direction::echo, Bytes{0x01, 0xFF, 0x0D});
    clock.advance(20);
    trace.note("Ошибка Cant read all bytes from COM in WriteBytes().");
    trace.bytes(WireTrace::Direction::received, Bytes{0x09});
    std::istringstream in("garbage\n" + written.str() + "\n" + std::string(5000, '1') +
                          "\n   150 RX   F7\n   151 RX   0");
    const ParsedTrace read = readWireTrace(in);
    const std::vector<TraceLine> expected{
        {100, Kind::written, {0x01, 0xFF, 0x0D}, {}},
        {100, Kind::echo, {0x01, 0xFF, 0x0D}, {}},
        {120, Kind::note, {}, "Ошибка Cant read all bytes from COM in WriteBytes()."},
        {120, Kind::received, {0x09}, {}},
        {150, Kind::received, {0xF7}, {}},
    };
    EXPECT_EQ(read.lines, expected);
    ASSERT_EQ(read.problems.size(), 3u);
    EXPECT_EQ(read.problems[0].lineNumber, 1u);
    EXPECT_EQ(read.problems[1].lineNumber, 7u);
    EXPECT_EQ(read.problems[1].message, "longer than 4096 bytes");
    EXPECT_EQ(read.problems[2].lineNumber, 9u);
    EXPECT_EQ(read.problems[2].message, "not a hex byte: '0'");
}

TEST(WireTraceReader, EndsEndlessInputThatIsNoTraceAndEndlessInputThatIsOne) {
    const WireTraceReader::Limits limits{10, 100, 10'000};
    const struct {
        std::string repeated;
        WireTraceReader::Stop stop;
        std::size_t problems;
        std::size_t goodLines;
    } cases[] = {
        {"garbage\n", WireTraceReader::Stop::badLines, 11, 0},
        {std::string(1, '\0'), WireTraceReader::Stop::noLineEnd, 0, 0},
        {"\n", WireTraceReader::Stop::inputBytes, 0, 0},
        // 18 bytes a line: good lines until 10 000 bytes are read.
        {"    12 RX   0D 0A\n", WireTraceReader::Stop::inputBytes, 0, 556},
        {"    12 RX   0D 0A\nbad\n", WireTraceReader::Stop::badLines, 11, 11},
    };
    for (const auto& c : cases) {
        ecuprobe::testing::EndlessText source(c.repeated);
        std::istream in(&source);
        WireTraceReader reader(in, limits);
        std::size_t good = 0;
        while (reader.next()) {
            ++good;
        }
        EXPECT_EQ(reader.stopped(), c.stop) << c.repeated;
        EXPECT_EQ(reader.problems().size(), c.problems) << c.repeated;
        EXPECT_EQ(good, c.goodLines) << c.repeated;
        EXPECT_FALSE(reader.next().has_value()) << "stopped for good";
    }
}

}  // namespace
}  // namespace ecuprobe::platform
