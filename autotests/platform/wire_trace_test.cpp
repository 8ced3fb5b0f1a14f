#include "platform/wire_trace.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ecuprobe::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WireTrace, LogsEachDirectionAsHexWithItsMillisecondStamp) {
    FakeClock clock(1234);
    std::ostringstream log;
    WireTrace trace(log, clock);
    trace.bytes(WireTrace::Direction::written, Bytes{0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D});
    clock.advance(3);
    trace.bytes(WireTrace::Direction::echo, Bytes{0x62, 0x40});
    clock.advance(4294967295u - 1237u + 10u);  // the tick count wraps
    trace.bytes(WireTrace::Direction::received, Bytes{0xFF});
    trace.note("Ошибка Read from COM in ReadByte().");
    EXPECT_EQ(log.str(),
              "      1234 TX   62 40 CD 00 91 0D\n"
              "      1237 ECHO 62 40\n"
              "         9 RX   FF\n"
              "         9 --   Ошибка Read from COM in ReadByte().\n");
}

TEST(WireTrace, NoBytesNoLine) {
    FakeClock clock;
    std::ostringstream log;
    WireTrace trace(log, clock);
    trace.bytes(WireTrace::Direction::echo, {});
    EXPECT_TRUE(log.str().empty());
}

class WireTraceEnvironment : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/ecuprobe-trace-XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        ::close(fd);
        path = name;
    }
    void TearDown() override {
        unsetenv("ECUPROBE_TRACE");
        ::unlink(path.c_str());
    }

    FakeClock clock;
    std::string path;
};

TEST_F(WireTraceEnvironment, NamesNoFileUnlessTheVariableHoldsOne) {
    unsetenv("ECUPROBE_TRACE");
    EXPECT_EQ(WireTrace::pathFromEnvironment(), "");
    setenv("ECUPROBE_TRACE", "", 1);
    EXPECT_EQ(WireTrace::pathFromEnvironment(), "");
    setenv("ECUPROBE_TRACE", path.c_str(), 1);
    EXPECT_EQ(WireTrace::pathFromEnvironment(), path);
}

TEST_F(WireTraceEnvironment, AppendsToTheNamedFileAndOpensNoMissingFolder) {
    EXPECT_EQ(WireTrace::toFile("/nonexistent-dir/trace.log", clock), nullptr);
    std::ofstream(path) << "earlier\n";
    {
        const auto trace = WireTrace::toFile(path, clock);
        ASSERT_NE(trace, nullptr);
        trace->bytes(WireTrace::Direction::written, Bytes{0x01, 0xFF, 0x0D});
        EXPECT_FALSE(trace->failed());
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "earlier\n         0 TX   01 FF 0D\n");
}

TEST_F(WireTraceEnvironment, AFullDiskShowsAsFailed) {
    const auto trace = WireTrace::toFile("/dev/full", clock);
    ASSERT_NE(trace, nullptr);
    trace->note("line");
    EXPECT_TRUE(trace->failed());
}

}  // namespace
}  // namespace ecuprobe::platform
