#include "line/global_options.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "cli/cli_app.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {
namespace {

struct PortCase {
    const char* text;
    std::optional<line::PortChoice> expected;
    friend void PrintTo(const PortCase& c, std::ostream* out) {
        case_names::printText(c.text, out);
    }
};

class PortOption : public testing::TestWithParam<PortCase> {};

TEST_P(PortOption, NamesASlotOrAPathInTheFirstSlot) {
    EXPECT_EQ(line::parsePortChoice(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, PortOption,
    testing::Values(PortCase{"COM1", line::PortChoice{0, std::nullopt}},
                    PortCase{"com3", line::PortChoice{2, std::nullopt}},
                    PortCase{"COM4", line::PortChoice{3, std::nullopt}},
                    PortCase{"/dev/ttyUSB0", line::PortChoice{0, "/dev/ttyUSB0"}},
                    PortCase{"./k-line", line::PortChoice{0, "./k-line"}},
                    PortCase{"ttyUSB0", std::nullopt}, PortCase{"", std::nullopt}));

// Beyond the four slots a COM name is a port of its own on Windows, and no
// device at all elsewhere.
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(
    WindowsNames, PortOption,
    testing::Values(PortCase{"COM5", line::PortChoice{0, "COM5"}},
                    PortCase{"com12", line::PortChoice{0, "com12"}},
                    PortCase{"\\\\.\\COM12", line::PortChoice{0, "\\\\.\\COM12"}},
                    PortCase{"COM", std::nullopt}, PortCase{"COM1x", std::nullopt}));
#else
INSTANTIATE_TEST_SUITE_P(PosixNames, PortOption,
                         testing::Values(PortCase{"COM5", std::nullopt},
                                         PortCase{"COM0", std::nullopt}));
#endif

TEST(PortOption, PathTakesTheFirstSlotOverComOneWhileOtherSlotsKeepTheirs) {
    line::GlobalOptions options;
    options.comPaths = {"/dev/ttyUSB7", "/dev/ttyUSB1", "", ""};
    options.port = "/dev/ttyACM0";
    const platform::PortMap defaults;
    const platform::PortMap map = line::portMapFor(options, defaults);
    EXPECT_EQ(map.path(0), "/dev/ttyACM0");
    EXPECT_EQ(map.path(1), "/dev/ttyUSB1");
    EXPECT_EQ(map.path(2), defaults.path(2));
}

TEST(PortOption, ComOptionOverridesTheBaseMap) {
    platform::PortMap base;
    base.setPath(2, "/dev/from-environment");
    base.setPath(3, "/dev/also-from-environment");
    line::GlobalOptions options;
    options.comPaths[2] = "/dev/ttyUSB3";
    const platform::PortMap map = line::portMapFor(options, base);
    EXPECT_EQ(map.path(2), "/dev/ttyUSB3");
    EXPECT_EQ(map.path(3), "/dev/also-from-environment");
}

struct ParseResult {
    std::optional<int> status;
    std::string out;
    std::string err;
};

ParseResult parse(CliApp& app, std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const std::optional<int> status = app.parse(std::move(args), out, err);
    return {status, out.str(), err.str()};
}

class BadUsage : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadUsage, EndsWithUsageStatusAndAMessage) {
    CliApp app;
    const ParseResult result = parse(app, GetParam());
    EXPECT_EQ(result.status, line::exitUsage);
    EXPECT_NE(result.err, "");
}

using Args = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, BadUsage,
    testing::Values(Args{}, Args{"bogus"}, Args{"--port", "ttyUSB0", "connect"},
                    Args{"--nosuch", "connect"}, Args{"live", "--count", "-1"},
                    Args{"live", "--count", "many"}, Args{"live", "--period", "-0.5"},
                    Args{"monitor", "--period", "3"}, Args{"--simulate", "nosuch", "live"},
                    Args{"--sim-faults", "13:20", "faults"},
                    Args{"--simulate", "--sim-faults", "13", "faults"},
                    Args{"--simulate", "--sim-fault", "bogus", "connect"},
                    Args{"--sim-equipment", "5F00C101B301", "ident"},
                    Args{"--simulate", "--sim-equipment", "5F00", "ident"},
                    Args{"--simulate", "--sim-equipment", "5G00C101B301", "ident"},
                    Args{"--sim-usb-latency", "16", "selftest"},
                    Args{"--simulate", "--sim-usb-latency", "0", "selftest"},
                    Args{"--simulate", "--sim-usb-latency", "256", "selftest"},
                    Args{"reset-adaptation"}, Args{"ident", "now"},
                    Args{"--simulate", "--port", "/dev/ttyUSB0", "connect"},
                    Args{"connect", "live"}));

// Values that a number conversion would take or garble are refused with a plain message.
struct RefusedValue {
    Args args;
    const char* message;
    friend void PrintTo(const RefusedValue& c, std::ostream* out) {
        case_names::printWords(c.args, out);
    }
};

class RefusedValues : public testing::TestWithParam<RefusedValue> {};

TEST_P(RefusedValues, EndWithUsageStatusAndAPlainMessage) {
    CliApp app;
    const ParseResult result = parse(app, GetParam().args);
    EXPECT_EQ(result.status, line::exitUsage);
    EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("1797693"), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedValues,
    testing::Values(
        RefusedValue{{"live", "--period", "nan"}, "expected a number from 0 to 3600, got 'nan'"},
        RefusedValue{{"live", "--period", "inf"}, "expected a number from 0 to 3600"},
        RefusedValue{{"live", "--count", "-1"},
                     "expected a whole number from 0 to 1000000, got '-1'"},
        RefusedValue{{"live", "--count", "0x10"},
                     "expected a whole number from 0 to 1000000, got '0x10'"},
        RefusedValue{{"live", "--count", "1e3"}, "expected a whole number"},
        RefusedValue{{"monitor", "--period", "0x1"}, "expected a whole number from 0 to 2"},
        RefusedValue{{"--com2", "", "connect"}, "the path is empty"},
        RefusedValue{{"--trace", "", "connect"}, "the path is empty"}));

// Each system's help names its own ports: device paths and pseudo-terminals on
// Linux, COM ports and a simulator inside the process on Windows.
#ifdef _WIN32
const char* const ownPorts = "inside this process";
const char* const foreignPorts[] = {"/dev/", "pseudo-terminal"};
#else
const char* const ownPorts = "/dev/ttyS0";
const char* const foreignPorts[] = {"COM5", "inside this process"};
#endif

TEST(CommandLine, HelpAtEveryLevelEndsWithZeroAndShowsExamplesForThisSystem) {
    for (const Args& args :
         {Args{"--help"}, Args{"connect", "--help"}, Args{"live", "--help"},
          Args{"faults", "--help"}, Args{"clear-faults", "--help"}, Args{"monitor", "--help"},
          Args{"ident", "--help"}, Args{"params", "--help"}, Args{"reset-adaptation", "--help"},
          Args{"show", "--help"}, Args{"log", "--help"}, Args{"selftest", "--help"}}) {
        CliApp app;
        const ParseResult result = parse(app, args);
        EXPECT_EQ(result.status, line::exitOk) << args[0];
        EXPECT_NE(result.out.find("Examples:"), std::string::npos) << args[0];
        EXPECT_EQ(result.out.find(ownPorts) != std::string::npos, args.size() == 1) << args[0];
        for (const char* foreign : foreignPorts) {
            EXPECT_EQ(result.out.find(foreign), std::string::npos) << args[0] << ": " << foreign;
        }
    }
}

TEST(CommandLine, SimulateTakesAnOptionalScenarioWithoutSwallowingTheCommand) {
    struct Case {
        Args args;
        bool simulate;
        const char* scenario;
    };
    for (const Case& c : {Case{{"live"}, false, "idle"}, Case{{"--simulate", "live"}, true, "idle"},
                          Case{{"--simulate", "coastdown", "live"}, true, "coastdown"},
                          Case{{"--simulate", "--port", "COM3", "faults"}, true, "idle"}}) {
        CliApp app;
        const ParseResult result = parse(app, c.args);
        EXPECT_EQ(result.status, std::nullopt) << result.err;
        EXPECT_EQ(app.options().simulate, c.simulate) << c.args.size();
        EXPECT_EQ(app.options().scenario, c.scenario);
    }
}

TEST(CommandLine, GlobalOptionsReachTheirFields) {
    CliApp app;
    const ParseResult result = parse(
        app, {"--com2", "/dev/ttyUSB1", "--port", "com2", "--trace", "t.log", "--simulate",
              "--sim-faults", "13:20,131:60", "--sim-fault", "silence:after=5", "--sim-equipment",
              "1f00c101b301", "--sim-usb-latency", "16", "--no-echo", "connect"});
    ASSERT_EQ(result.status, std::nullopt) << result.err;
    const line::GlobalOptions& options = app.options();
    EXPECT_EQ(options.portChoice(), (line::PortChoice{1, std::nullopt}));
    EXPECT_EQ(options.comPaths[1], "/dev/ttyUSB1");
    EXPECT_EQ(options.tracePath, "t.log");
    EXPECT_EQ(options.simStoredFaults, "13:20,131:60");
    EXPECT_EQ(options.simFaultRules, Args{"silence:after=5"});
    EXPECT_EQ(options.simEquipment, "1f00c101b301");
    EXPECT_EQ(options.simUsbLatencyMs, 16);
    EXPECT_TRUE(options.noEcho);
}

}  // namespace
}  // namespace ecuprobe::cli
