// The values the new commands take, checked before the port is touched: a
// refused value ends with 64 and its text, and nothing is sent.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "cli/cli_app.h"
#include "cli/measured_options.h"
#include "cli/parameter_inputs.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {
namespace {

using Args = std::vector<std::string>;
using console::ParameterField;

struct RunResult {
    int status = -1;
    std::string err;
};

// Parses and runs against a port that cannot open: a command that got as far
// as the port ends with 1.
RunResult runWithoutAPort(Args args) {
    args.insert(args.begin(), {"--port", "/nonexistent/ttyK"});
    CliApp app;
    std::ostringstream out;
    std::ostringstream err;
    if (const std::optional<int> status = app.parse(args, out, err)) {
        return {*status, err.str()};
    }
    const int status = app.run(out, err);
    return {status, err.str()};
}

// count Cyrillic letters: as many characters of the comment, twice the bytes.
std::string letters(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += "ж";
    }
    return text;
}

struct ValueCase {
    Args args;
    int status;
    const char* message;
    friend void PrintTo(const ValueCase& c, std::ostream* out) {
        case_names::printWords(c.args, out);
    }
};

class CommandValues : public testing::TestWithParam<ValueCase> {};

TEST_P(CommandValues, AreRefusedWithTheirTextBeforeThePort) {
    const RunResult result = runWithoutAPort(GetParam().args);
    EXPECT_EQ(result.status, GetParam().status) << result.err;
    EXPECT_NE(result.err.find(GetParam().message), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Params, CommandValues,
    testing::Values(
        ValueCase{{"params", "--egr", "150"},
                  line::exitUsage,
                  "ecuprobe-cli: Степень рецирк.отраб.газов(JEGR): Please enter an integer "
                  "between 0 and 100.\n"},
        ValueCase{{"params", "--idle-speed", "-900"},
                  line::exitUsage,
                  "Обороты ХХ: Please enter a positive integer."},
        ValueCase{{"params", "--rcok", "0,1"},
                  line::exitUsage,
                  "Коэф. коррекции CO (RCOK): Please enter a number."},
        ValueCase{{"params", "--rcod", "x", "--stepper", "y"},
                  line::exitUsage,
                  "Рег.ХХ(РДВ): Please enter a positive integer."},
        ValueCase{
            {"params", "--uoz", "inf"}, line::exitUsage, "Поправка УОЗ: Please enter a number."},
        ValueCase{
            {"params", "--idle-speed", "9000", "--uoz", "20"}, line::exitPortFailed, "cannot open"},
        ValueCase{{"test", "dynamic", "--end", "6001"},
                  line::exitUsage,
                  "Ошибка задания параметров: Конечные обороты должны быть менее 6000."},
        ValueCase{{"reset-adaptation", "fuel"}, line::exitUsage, "fuel not in {lambda,knock}"},
        // The system would write "a.tdm" while "a.tdm\0b.tdm" was announced.
        ValueCase{{"report", "--dump", std::string("a.tdm\0b.tdm", 11)},
                  line::exitUsage,
                  "the path holds a NUL byte"},
        // A comment is refused whole rather than cut short where nobody sees it.
        ValueCase{{"report", "--dump", "/nonexistent/car.tdm", "--comment", letters(257)},
                  line::exitUsage,
                  "the comment is longer than 256 characters; nothing was cut: shorten it"},
        ValueCase{{"test", "dynamic", "--dump", "car.tdm", "--comment", letters(257)},
                  line::exitUsage,
                  "the comment is longer than 256 characters"},
        // The dump would hold "?" for them.
        ValueCase{{"report", "--dump", "car.tdm", "--comment", "свеча ✓"},
                  line::exitUsage,
                  "the comment holds characters the tester dump's code page (CP1251) cannot "
                  "carry: ✓; write it without them"},
        ValueCase{{"report", "--dump", "/nonexistent/car.tdm", "--comment", letters(256)},
                  line::exitCannotCreate,
                  "cannot write the dump file /nonexistent/car.tdm"},
        ValueCase{{"reset-adaptation", "knock", "--yes"}, line::exitPortFailed, "cannot open"}));

TEST(ParameterInputs, NameTheFirstRefusedFieldInTheDialogsOrder) {
    ParameterInputs given;
    EXPECT_FALSE(given.any());
    EXPECT_EQ(parameterProblem(given), "");
    given[ParameterField::rcok] = "abc";
    given[ParameterField::purgeDegree] = "101";
    EXPECT_TRUE(given.any());
    EXPECT_EQ(parameterProblem(given),
              "Степень продувки адсорбера (JADS): Please enter an integer between 0 and 100.");
    given[ParameterField::purgeDegree] = " 100 ";
    EXPECT_EQ(parameterProblem(given), "Коэф. коррекции CO (RCOK): Please enter a number.");
}

TEST(ParameterInputs, LinesShowTheSevenValuesInOneColumnWithTheirUnits) {
    console::ControlParameterValues values;
    values.idleStepper = 40;
    values.idleSpeed = 850;
    values.ignitionCorrection = -2.5f;
    values.egrDegree = 30;
    values.rcok = -0.25f;
    EXPECT_EQ(parameterLines(values),
              "Рег.ХХ(РДВ):                       40\n"
              "Обороты ХХ:                        850\n"
              "Поправка УОЗ:                      -2.5\n"
              "Степень продувки адсорбера (JADS): 0 %\n"
              "Степень рецирк.отраб.газов(JEGR):  30 %\n"
              "Коррекция CO по смещ. (RCOD):      0\n"
              "Коэф. коррекции CO (RCOK):         -0.25\n");
}

struct TestWordsCase {
    const char* words;
    std::optional<TestOptions> options;
    const char* message;  // a part of it
    friend void PrintTo(const TestWordsCase& c, std::ostream* out) {
        case_names::printText(c.words, out);
    }
};

bool operator==(const TestOptions& a, const TestOptions& b) {
    return a.kind == b.kind && a.start == b.start && a.end == b.end && a.gear == b.gear &&
           a.dump == b.dump && a.comment == b.comment;
}

class MonitorTestWords : public testing::TestWithParam<TestWordsCase> {};

TEST_P(MonitorTestWords, GiveTheOptionsOrTheMessage) {
    const ParsedTest parsed = parseTestWords(GetParam().words);
    EXPECT_EQ(parsed.options.has_value(), GetParam().options.has_value()) << parsed.message;
    if (parsed.options && GetParam().options) {
        EXPECT_TRUE(*parsed.options == *GetParam().options);
    }
    EXPECT_NE(parsed.message.find(GetParam().message), std::string::npos) << parsed.message;
}

TestOptions withLevels(TestKind kind, int start, int end, int gear = 0) {
    TestOptions options = testDefaults(kind);
    options.start = start;
    options.end = end;
    options.gear = gear;
    return options;
}

TestOptions saved(TestOptions options, const char* dump, const char* comment) {
    options.dump = dump;
    options.comment = comment;
    return options;
}

INSTANTIATE_TEST_SUITE_P(
    Words, MonitorTestWords,
    testing::Values(
        TestWordsCase{"dynamic", withLevels(TestKind::dynamic, 2000, 5500), ""},
        TestWordsCase{"accel --start 30 --gear 3", withLevels(TestKind::acceleration, 30, 80, 3),
                      ""},
        TestWordsCase{"loss --end 1500", withLevels(TestKind::loss, 5000, 1500), ""},
        TestWordsCase{
            "dynamic --dump a.tdm --comment 'ГАЗ 3110, до ремонта'",
            saved(withLevels(TestKind::dynamic, 2000, 5500), "a.tdm", "ГАЗ 3110, до ремонта"), ""},
        TestWordsCase{"dynamic --start -1", std::nullopt,
                      "expected a whole number from 0 to 99999, got '-1'"},
        TestWordsCase{"accel --gear 5", std::nullopt, "expected a whole number from 0 to 4"},
        TestWordsCase{"loss --gear 2", std::nullopt, "--gear"},
        TestWordsCase{"dynamic --dump ''", std::nullopt, "--dump"},
        TestWordsCase{"dynamic --help", std::nullopt, "--start"}));

}  // namespace
}  // namespace ecuprobe::cli
