#include "reports/line_format.h"
#include "case_names.h"

#include <gtest/gtest.h>

#include <clocale>

namespace ecuprobe::reports {
namespace {

using ecuprobe::case_names::PrintTo;

struct FormatCase {
    const char* name;
    std::string format;
    std::vector<LineValue> values;
    std::string expected;
};

class FormatLine : public ::testing::TestWithParam<FormatCase> {};

std::string run(const FormatCase& c) {
    switch (c.values.size()) {
        case 0:
            return formatLine(c.format, {});
        case 1:
            return formatLine(c.format, {c.values[0]});
        default:
            return formatLine(c.format, {c.values[0], c.values[1]});
    }
}

TEST_P(FormatLine, FillsInAsPrintfDoesInTheCLocale) {
    EXPECT_EQ(run(GetParam()), GetParam().expected);
}

// Expected texts as printf gives them for the same formats and values.
INSTANTIATE_TEST_SUITE_P(
    Formats, FormatLine,
    ::testing::Values(
        FormatCase{"SignedWidth",
                   "до: %4i\tпосле: %4i",
                   {std::int64_t{-5}, std::int64_t{90}},
                   "до:   -5\tпосле:   90"},
        FormatCase{"UnsignedWidth", "%4u|%3u", {std::int64_t{800}, std::int64_t{5}}, " 800|  5"},
        FormatCase{"UnsignedFromAnInt", "%u", {std::int64_t{-1}}, "4294967295"},
        FormatCase{"Fixed", "%.4f\t%0.3f", {0.5, 25.0}, "0.5000\t25.000"},
        FormatCase{"HexBothCases", "%x %X", {std::int64_t{0x8A}, std::int64_t{10}}, "8a A"},
        FormatCase{"GearDigit", " на передаче: %.1x.", {std::int64_t{3}}, " на передаче: 3."},
        FormatCase{"Percent", "%u\t%%", {std::int64_t{12}}, "12\t%"},
        FormatCase{"LongUnsigned", "%lu.dmp", {std::int64_t{1700000000}}, "1700000000.dmp"},
        FormatCase{"TextAndCut",
                   "%s|%.3s",
                   {std::string_view("Микас"), std::string_view("abcdef")},
                   "Микас|abc"},
        FormatCase{"MissingValueLeavesNothing", "a%ib", {}, "ab"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::reports
