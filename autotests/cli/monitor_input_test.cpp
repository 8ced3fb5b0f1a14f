#include "cli/monitor_input.h"

#include <gtest/gtest.h>

#include <string>

namespace ecuprobe::cli {
namespace {

namespace control = console::control;

struct CommandCase {
    const char* line;
    MonitorCommand expected;
};

class MonitorInputCommands : public testing::TestWithParam<CommandCase> {};

TEST_P(MonitorInputCommands, LineGivesItsCommand) {
    const ParsedLine parsed = parseMonitorLine(GetParam().line);
    EXPECT_EQ(parsed.error, "");
    ASSERT_TRUE(parsed.command.has_value());
    EXPECT_EQ(*parsed.command, GetParam().expected);
}

MonitorCommand click(console::ControlId id) {
    return {MonitorVerb::click, id, {}};
}

INSTANTIATE_TEST_SUITE_P(
    EveryWord, MonitorInputCommands,
    testing::Values(CommandCase{"inj 1", click(control::injector1)},
                    CommandCase{"inj 2", click(control::injector2)},
                    CommandCase{"inj 3", click(control::injector3)},
                    CommandCase{"inj 4", click(control::injector4)},
                    CommandCase{"coil 14", click(control::coil14)},
                    CommandCase{"coil 23", click(control::coil23)},
                    CommandCase{"pump", click(control::fuelPump)},
                    CommandCase{"lamp", click(control::checkEngineLamp)},
                    CommandCase{"ac", click(control::airConditioner)},
                    CommandCase{"fan", click(control::fan)},
                    CommandCase{"purge", click(control::canisterPurge)},
                    CommandCase{"lambda", click(control::lambdaRegulator)},
                    CommandCase{"knock", click(control::knockRegulator)},
                    CommandCase{"release", click(control::releaseControls)},
                    CommandCase{"clear-faults", click(control::clearFaults)},
                    CommandCase{"decode", click(control::decodeFaults)},
                    CommandCase{"period 0", {MonitorVerb::period, 0, "0"}},
                    CommandCase{"period 7", {MonitorVerb::period, 0, "7"}},
                    CommandCase{"quit", {MonitorVerb::quit, 0, {}}},
                    CommandCase{"q", {MonitorVerb::quit, 0, {}}},
                    CommandCase{"help", {MonitorVerb::help, 0, {}}},
                    // Typed with extra blanks, or sent with CR LF from another system.
                    CommandCase{"  inj   4 \r", click(control::injector4)},
                    CommandCase{"\tpump\r", click(control::fuelPump)}));

struct ErrorCase {
    const char* line;
    const char* message;
};

class MonitorInputErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(MonitorInputErrors, BadLineGivesMessageAndNoCommand) {
    const ParsedLine parsed = parseMonitorLine(GetParam().line);
    EXPECT_FALSE(parsed.command.has_value());
    EXPECT_EQ(parsed.error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Rejected, MonitorInputErrors,
    testing::Values(ErrorCase{"inj", "inj takes an injector number 1..4, e.g. inj 1"},
                    ErrorCase{"inj 0", "inj takes an injector number 1..4, e.g. inj 1"},
                    ErrorCase{"inj 5", "inj takes an injector number 1..4, e.g. inj 1"},
                    ErrorCase{"inj 1 2", "inj takes an injector number 1..4, e.g. inj 1"},
                    ErrorCase{"coil 12", "coil takes 14 or 23, e.g. coil 14"},
                    ErrorCase{"coil", "coil takes 14 or 23, e.g. coil 14"},
                    ErrorCase{"pump 1", "pump takes no argument"},
                    ErrorCase{"quit now", "quit takes no argument"},
                    ErrorCase{"period", "period takes the poll period in seconds: 0, 1 or 2"},
                    ErrorCase{"period 1 2", "period takes the poll period in seconds: 0, 1 or 2"},
                    ErrorCase{"PUMP", "unknown command: PUMP (help lists them)"},
                    ErrorCase{"start", "unknown command: start (help lists them)"}));

TEST(MonitorInput, BlankLineIsNeitherCommandNorError) {
    for (const char* line : {"", "   ", "\r"}) {
        const ParsedLine parsed = parseMonitorLine(line);
        EXPECT_FALSE(parsed.command.has_value()) << '"' << line << '"';
        EXPECT_EQ(parsed.error, "") << '"' << line << '"';
    }
}

TEST(MonitorInput, EverySwitchOfTheConsoleHasWordsThatParseBackToIt) {
    for (const console::ControlId id : console::switchControls()) {
        const std::string_view words = wordsFor(id);
        ASSERT_FALSE(words.empty()) << id;
        const ParsedLine parsed = parseMonitorLine(words);
        ASSERT_TRUE(parsed.command.has_value()) << words;
        EXPECT_EQ(parsed.command->control, id) << words;
    }
}

}  // namespace
}  // namespace ecuprobe::cli
