#include "sim/command_console.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "case_names.h"
#include "platform/clock.h"

namespace ecuprobe::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CommandConsole : public ::testing::Test {
protected:
    // What comes back to a type request 01 FF 0D: the echo, then the answer if any.
    Bytes typeExchange() {
        const std::array<std::uint8_t, 3> request{0x01, 0xFF, 0x0D};
        ecu.fromTester(request);
        clock.advance(50);
        std::array<std::uint8_t, 64> back{};
        const std::size_t n = ecu.toTester(back.data(), back.size());
        return {back.begin(), back.begin() + static_cast<std::ptrdiff_t>(n)};
    }

    platform::FakeClock clock;
    SimulatedEcu ecu{clock};
};

struct Reply {
    const char* line;
    const char* reply;
    bool quit;
    friend void PrintTo(const Reply& c, std::ostream* out) { case_names::printText(c.line, out); }
};

class CommandReply : public CommandConsole, public ::testing::WithParamInterface<Reply> {};

TEST_P(CommandReply, AnswersTheLine) {
    const CommandResult result = runCommand(ecu, GetParam().line);
    EXPECT_EQ(result.reply, GetParam().reply);
    EXPECT_EQ(result.quit, GetParam().quit);
}

constexpr const char* throttleRange = "refused: throttle takes a whole number from 0 to 100";
constexpr const char* gearRange = "refused: gear takes a whole number from 0 to 5";

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandReply,
    ::testing::Values(
        Reply{"", "", false}, Reply{"quit", "bye", true}, Reply{"exit", "bye", true},
        Reply{"gear 3", "ok", false}, Reply{"gear 6", gearRange, false},
        Reply{"gear -1", gearRange, false}, Reply{"gear x", gearRange, false},
        Reply{"throttle 100", "ok", false}, Reply{"throttle 0", "ok", false},
        Reply{"throttle 101", throttleRange, false}, Reply{"throttle -5", throttleRange, false},
        Reply{"throttle", throttleRange, false}, Reply{"throttle 5 5", throttleRange, false},
        Reply{"brake on", "ok", false}, Reply{"brake maybe", "unknown command; type help", false},
        Reply{"type 256", "refused: type takes a whole number from 0 to 255", false},
        Reply{"scenario road", "ok", false},
        Reply{"scenario flying", "unknown command; type help", false},
        Reply{"fault add silence", "ok", false}, Reply{"fault clear", "ok", false},
        Reply{"fault add nonsense", "bad fault command; try: fault add silence:after=5", false},
        Reply{"restart", "ok", false}, Reply{"restart now", "unknown command; type help", false},
        Reply{"equipment 5F00C101B301", "ok", false},
        Reply{"equipment 5F00C101B3", "unknown command; type help", false},
        Reply{"equipment 5F00C101B3XY", "unknown command; type help", false},
        Reply{"jump", "unknown command; type help", false}));

TEST_F(CommandConsole, GearAndThrottleReachTheModel) {
    runCommand(ecu, "gear 2");
    runCommand(ecu, "throttle 40");
    clock.advance(100);
    ecu.advance();
    EXPECT_EQ(ecu.truth().gear, 2);
    EXPECT_DOUBLE_EQ(ecu.truth().throttlePct, 40.0);
}

TEST_F(CommandConsole, RefusedValuesLeaveTheModelAsItWas) {
    runCommand(ecu, "gear 2");
    runCommand(ecu, "throttle 40");
    runCommand(ecu, "gear 9");
    runCommand(ecu, "throttle 101");
    clock.advance(100);
    ecu.advance();
    EXPECT_EQ(ecu.truth().gear, 2);
    EXPECT_DOUBLE_EQ(ecu.truth().throttlePct, 40.0);
}

TEST_F(CommandConsole, TypeChangesTheAnswerToTheTypeRequest) {
    runCommand(ecu, "type 10");
    EXPECT_EQ(typeExchange(), (Bytes{0x01, 0xFF, 0x0D, 0x0A, 0xF6, 0x0D}));
}

TEST_F(CommandConsole, SilentKeepsOnlyTheAdaptersEcho) {
    runCommand(ecu, "silent on");
    EXPECT_EQ(typeExchange(), (Bytes{0x01, 0xFF, 0x0D}));
    runCommand(ecu, "silent off");
    EXPECT_EQ(typeExchange(), (Bytes{0x01, 0xFF, 0x0D, 0x09, 0xF7, 0x0D}));
}

TEST_F(CommandConsole, EquipmentChangesTheEquipmentAnswer) {
    runCommand(ecu, "equipment 0200000000fe");
    // 61 01 02 03 04 05 answered with 02 00 00 00 00 FE.
    const std::array<std::uint8_t, 8> request{0x61, 0x01, 0x02, 0x03, 0x04, 0x05, 0x90, 0x0D};
    ecu.fromTester(request);
    std::array<std::uint8_t, 64> back{};
    const std::size_t n = ecu.toTester(back.data(), back.size());
    EXPECT_EQ(Bytes(back.begin() + 8, back.begin() + static_cast<std::ptrdiff_t>(n)),
              (Bytes{0x02, 0x00, 0x00, 0x00, 0x00, 0xFE, 0x00, 0x0D}));
}

TEST_F(CommandConsole, RestartHandsEveryOverrideBack) {
    const std::array<std::uint8_t, 6> cutInjector{0x62, 0x40, 0xCD, 0x01, 0x90, 0x0D};
    ecu.fromTester(cutInjector);
    EXPECT_EQ(ecu.controls().injectorCut, 0x01);
    runCommand(ecu, "restart");
    EXPECT_EQ(ecu.controls().injectorCut, 0x00);
}

}  // namespace
}  // namespace ecuprobe::sim
