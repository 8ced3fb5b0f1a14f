#include "reports/report_text.h"

#include <gtest/gtest.h>

#include <ostream>

#include "case_names.h"
#include "report_test_support.h"
#include "reports/comment_dialog.h"
#include "scripted_prompts.h"

namespace ecuprobe::reports {
namespace {

struct FixedCase {
    double value;
    int decimals;
    const char* text;
    friend void PrintTo(const FixedCase& c, std::ostream* out) { *out << c.text; }
};

class FixedPoint : public ::testing::TestWithParam<FixedCase> {};

// As printf's "%.Nf" rounds: the exact binary value, halves to even.
TEST_P(FixedPoint, RoundsAsTheCFormatDoes) {
    EXPECT_EQ(fixed(GetParam().value, GetParam().decimals), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FixedPoint,
                         ::testing::Values(FixedCase{97, 4, "97.0000"},
                                           FixedCase{-0.375, 3, "-0.375"},
                                           FixedCase{0.0005, 3, "0.001"},
                                           FixedCase{2.675, 2, "2.67"}, FixedCase{0.5, 0, "0"},
                                           FixedCase{1.5, 0, "2"},
                                           FixedCase{static_cast<double>(0.1f), 4, "0.1000"},
                                           FixedCase{-0.0, 2, "-0.00"}));

TEST(ReportText, IntegersAndHex) {
    EXPECT_EQ(padded(90, 4), "  90");
    EXPECT_EQ(padded(12345, 4), "12345");
    EXPECT_EQ(padded(-5), "-5");
    EXPECT_EQ(hexUpper(10), "A");
    EXPECT_EQ(hexUpper(0), "0");
    EXPECT_EQ(hexLower(0x8A), "8a");
}

class CalendarText : public testing::InScratchFolder {};

TEST_F(CalendarText, IsTheFixedTwentyFourCharacterEnglishFormInLocalTime) {
    EXPECT_EQ(calendarText(1700000000), "Tue Nov 14 22:13:20 2023");
    EXPECT_EQ(calendarText(1700000000 - 10 * 86400), "Sat Nov  4 22:13:20 2023");
    testing::useTimeZone("MSK-3");
    EXPECT_EQ(calendarText(1700000000), "Wed Nov 15 01:13:20 2023");
}

TEST(CommentLine, EveryLineBreakIsWrittenAsCrLfAndAnEmptyCommentAsNothing) {
    EXPECT_EQ(commentLine(""), "");
    EXPECT_EQ(commentLine("a\nb\r\nc\rd"), "Коментарий: a\r\nb\r\nc\r\nd\r\n");
}

TEST(CommentDialog, KeepsTheFirst256CharactersAndNothingAfterCancel) {
    std::string cyrillic300;
    for (int i = 0; i < 300; ++i) {
        cyrillic300 += "ж";
    }
    ecuprobe::testing::ScriptedPrompts prompts;
    prompts.comments = {cyrillic300, std::nullopt};
    CommentDialog typed;
    typed.run(prompts);
    EXPECT_EQ(typed.comment(), cyrillic300.substr(0, 2 * 256));
    CommentDialog cancelled;
    cancelled.run(prompts);
    EXPECT_EQ(cancelled.comment(), "");
    EXPECT_EQ(prompts.commentLimits, (std::vector<std::size_t>{256, 256}));
}

}  // namespace
}  // namespace ecuprobe::reports
