#include "platform/code_pages.h"
#include "case_names.h"

#include <gtest/gtest.h>

namespace ecuprobe::platform {
namespace {

using ecuprobe::case_names::PrintTo;

struct CodePageCase {
    const char* name;
    std::string utf8;
    std::string dos;   // CP866
    std::string ansi;  // CP1251
};

class CodePages : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePages, EncodeBothWays) {
    const CodePageCase& c = GetParam();
    EXPECT_EQ(utf8ToCp866(c.utf8), c.dos);
    EXPECT_EQ(cp866ToUtf8(c.dos), c.utf8);
    EXPECT_EQ(utf8ToCp1251(c.utf8), c.ansi);
    EXPECT_EQ(cp1251ToUtf8(c.ansi), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodePages,
    ::testing::Values(CodePageCase{"Ascii", "MIKAS 5.4\r\n", "MIKAS 5.4\r\n", "MIKAS 5.4\r\n"},
                      CodePageCase{"CapitalsAtTheEdges", "АЯ", "\x80\x9F", "\xC0\xDF"},
                      CodePageCase{"SmallLettersAcrossTheDosGap", "апря", "\xA0\xAF\xE0\xEF",
                                   "\xE0\xEF\xF0\xFF"},
                      CodePageCase{"Yo", "Ёё", "\xF0\xF1", "\xA8\xB8"},
                      CodePageCase{"NumeroSign", "№1",
                                   "\xFC"
                                   "1",
                                   "\xB9"
                                   "1"},
                      CodePageCase{"EcuName", "Микас 7.1", "\x8C\xA8\xAA\xA0\xE1 7.1",
                                   "\xCC\xE8\xEA\xE0\xF1 7.1"}),
    [](const auto& param) { return param.param.name; });

TEST(CodePages, CharactersAPageLacksBecomeQuestionMarks) {
    // Box drawing exists only in CP866, the euro sign only in CP1251, CJK in neither.
    EXPECT_EQ(utf8ToCp1251("╬"), "?");
    EXPECT_EQ(utf8ToCp866("╬"), "\xCE");
    EXPECT_EQ(utf8ToCp866("€"), "?");
    EXPECT_EQ(utf8ToCp1251("€"), "\x88");
    EXPECT_EQ(utf8ToCp1251("漢a"), "?a");
}

TEST(CodePages, MalformedUtf8BecomesQuestionMarks) {
    EXPECT_EQ(utf8ToCp1251("\xD0"), "?");
    EXPECT_EQ(utf8ToCp1251("\xD0"
                           "A"),
              "?A");
    EXPECT_EQ(utf8ToCp1251("\xC0\x80"), "?") << "overlong NUL";
    EXPECT_EQ(utf8ToCp866("\xFF"), "?");
}

TEST(CodePages, UndefinedByteDecodesAsReplacementCharacter) {
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");
}

TEST(CodePages, EveryDefinedByteSurvivesTheRoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp866(cp866ToUtf8(one)), one) << b;
        if (b != 0x98) {
            EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(one)), one) << b;
        }
    }
}

}  // namespace
}  // namespace ecuprobe::platform
