#include "platform/wire_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "environment.h"

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
    void TearDown() override {
        ecuprobe::testing_support::clearEnvironment("ECUPROBE_TRACE");
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }

    FakeClock clock;
    // Other builds on this machine may run the same test at the same time.
    std::string path = (std::filesystem::temp_directory_path() /
                        ("ecuprobe-trace-" + std::to_string(std::random_device{}())))
                           .string();
};

TEST_F(WireTraceEnvironment, NamesNoFileUnlessTheVariableHoldsOne) {
    ecuprobe::testing_support::clearEnvironment("ECUPROBE_TRACE");
    EXPECT_EQ(WireTrace::pathFromEnvironment(), "");
    ecuprobe::testing_support::setEnvironment("ECUPROBE_TRACE", "");
    EXPECT_EQ(WireTrace::pathFromEnvironment(), "");
    ecuprobe::testing_support::setEnvironment("ECUPROBE_TRACE", path);
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

// The tester holds file names in UTF-8; Windows must not read them in its ANSI code page.
TEST_F(WireTraceEnvironment, ACyrillicFileNameIsTakenAsUtf8) {
    const std::filesystem::path folder(path);
    std::filesystem::create_directory(folder);
    const std::string name = path + "/трасса.log";
    EXPECT_NE(WireTrace::toFile(name, clock), nullptr);
    EXPECT_TRUE(std::filesystem::exists(folder / std::filesystem::path(u8"трасса.log")));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace ecuprobe::platform
