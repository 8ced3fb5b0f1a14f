#include "cli/monitor_input.h"
#include "case_names.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace ecuprobe::cli {
namespace {

namespace control = console::control;

struct CommandCase {
    const char* line;
    MonitorCommand expected;
    friend void PrintTo(const CommandCase& c, std::ostream* out) {
        case_names::printText(c.line, out);
    }
};

class MonitorInputCommands : public testing::TestWithParam<CommandCase> {};

TEST_P(MonitorInputCommands, LineGivesItsCommand) {
    const ParsedLine parsed = parseMonitorLine(GetParam().line);
    EXPECT_EQ(parsed.error, "");
    ASSERT_TRUE(parsed.command.has_value());
    EXPECT_EQ(*parsed.command, GetParam().expected);
}

using console::ParameterField;

MonitorCommand command(MonitorVerb verb, console::ControlId id = 0, std::string argument = {},
                       std::optional<ParameterField> parameter = std::nullopt) {
    return {verb, id, std::move(argument), parameter};
}

MonitorCommand click(console::ControlId id) {
    return command(MonitorVerb::click, id);
}

MonitorCommand set(ParameterField field, const char* value) {
    return command(MonitorVerb::set, control::controlParameters, value, field);
}

MonitorCommand store(ParameterField field) {
    return command(MonitorVerb::store, control::controlParameters, {}, field);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWord, MonitorInputCommands,
    testing::Values(
        CommandCase{"inj 1", click(control::injector1)},
        CommandCase{"inj 2", click(control::injector2)},
        CommandCase{"inj 3", click(control::injector3)},
        CommandCase{"inj 4", click(control::injector4)},
        CommandCase{"coil 14", click(control::coil14)},
        CommandCase{"coil 23", click(control::coil23)},
        CommandCase{"pump", click(control::fuelPump)},
        CommandCase{"lamp", click(control::checkEngineLamp)},
        CommandCase{"ac", click(control::airConditioner)}, CommandCase{"fan", click(control::fan)},
        CommandCase{"purge", click(control::canisterPurge)},
        CommandCase{"lambda", click(control::lambdaRegulator)},
        CommandCase{"knock", click(control::knockRegulator)},
        CommandCase{"release", click(control::releaseControls)},
        CommandCase{"clear-faults", click(control::clearFaults)},
        CommandCase{"decode", click(control::decodeFaults)},
        CommandCase{"period 0", command(MonitorVerb::period, 0, "0")},
        CommandCase{"period 7", command(MonitorVerb::period, 0, "7")},
        CommandCase{"quit", command(MonitorVerb::quit)},
        CommandCase{"q", command(MonitorVerb::quit)},
        CommandCase{"help", command(MonitorVerb::help)},
        CommandCase{"ident", command(MonitorVerb::ident, control::identify)},
        CommandCase{"set stepper 40", set(ParameterField::idleStepper, "40")},
        CommandCase{"set idle 900", set(ParameterField::idleSpeed, "900")},
        CommandCase{"set uoz -2.5", set(ParameterField::ignitionCorrection, "-2.5")},
        CommandCase{"set rcod -0.1", set(ParameterField::rcod, "-0.1")},
        CommandCase{"set rcok x", set(ParameterField::rcok, "x")},
        CommandCase{"set egr 30", set(ParameterField::egrDegree, "30")},
        CommandCase{"set purge 100", set(ParameterField::purgeDegree, "100")},
        CommandCase{"store rcod", store(ParameterField::rcod)},
        CommandCase{"store rcok", store(ParameterField::rcok)},
        CommandCase{"store uoz", store(ParameterField::ignitionCorrection)},
        CommandCase{"reset lambda", command(MonitorVerb::reset, control::lambdaAdaptationReset)},
        CommandCase{"reset knock", command(MonitorVerb::reset, control::knockAdaptationReset)},
        CommandCase{"report", command(MonitorVerb::report, control::saveDump)},
        CommandCase{" report  --comment 'до ремонта' \r",
                    command(MonitorVerb::report, control::saveDump, "--comment 'до ремонта'")},
        CommandCase{"test dynamic", command(MonitorVerb::test, control::dynamicTest, "dynamic")},
        CommandCase{
            "test accel --gear 2 --start 30",
            command(MonitorVerb::test, control::accelerationTest, "accel --gear 2 --start 30")},
        CommandCase{"test\tloss --dump a.tdm",
                    command(MonitorVerb::test, control::lossTest, "loss --dump a.tdm")},
        // Typed with extra blanks, or sent with CR LF from another system.
        CommandCase{"  inj   4 \r", click(control::injector4)},
        CommandCase{"\tpump\r", click(control::fuelPump)}));

struct ErrorCase {
    const char* line;
    const char* message;
    friend void PrintTo(const ErrorCase& c, std::ostream* out) {
        case_names::printText(c.line, out);
    }
};

class MonitorInputErrors : public testing::TestWithParam<ErrorCase> {};

constexpr const char* kSetUsage =
    "set takes stepper|idle|uoz|rcod|rcok|egr|purge and a value, e.g. set idle 900";
constexpr const char* kStoreUsage = "store takes rcod, rcok or uoz, e.g. store uoz";
constexpr const char* kTestUsage =
    "test takes dynamic, accel or loss, e.g. test dynamic --start 2000";

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
                    ErrorCase{"ident now", "ident takes no argument"},
                    ErrorCase{"set idle", kSetUsage}, ErrorCase{"set speed 900", kSetUsage},
                    ErrorCase{"set idle 900 rpm", kSetUsage}, ErrorCase{"store idle", kStoreUsage},
                    ErrorCase{"store", kStoreUsage},
                    ErrorCase{"reset", "reset takes lambda or knock, e.g. reset knock"},
                    ErrorCase{"reset fan", "reset takes lambda or knock, e.g. reset knock"},
                    ErrorCase{"test", kTestUsage}, ErrorCase{"test --start 1000", kTestUsage},
                    ErrorCase{"test drag", kTestUsage},
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
