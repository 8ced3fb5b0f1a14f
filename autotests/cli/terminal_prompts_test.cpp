#include "cli/terminal_prompts.h"
#include "case_names.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

// Lines typed in answer, in order; once they are used up no answer can come.
class TypedAnswers final : public AnswerLine {
public:
    explicit TypedAnswers(std::deque<InputLine> lines) : typed(std::move(lines)) {}

    std::optional<InputLine> ask(std::string_view question) override {
        questions.emplace_back(question);
        if (typed.empty()) {
            return std::nullopt;
        }
        InputLine line = typed.front();
        typed.pop_front();
        return line;
    }
    void tell(std::string_view message) override { told.emplace_back(message); }

    std::deque<InputLine> typed;
    std::vector<std::string> questions;
    std::vector<std::string> told;
};

InputLine typed(std::string text) {
    return {std::move(text), false};
}

const InputLine overlong{{}, true};

struct YesNoCase {
    const char* typed;
    bool yesIsDefault;
    std::optional<bool> answer;
    friend void PrintTo(const YesNoCase& c, std::ostream* out) {
        case_names::printText(c.typed, out);
        *out << (c.yesIsDefault ? " yes by default" : " no by default");
    }
};

class YesNoWords : public testing::TestWithParam<YesNoCase> {};

TEST_P(YesNoWords, ReadAsTheyAreMeant) {
    EXPECT_EQ(readYesNo(GetParam().typed, GetParam().yesIsDefault), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Words, YesNoWords,
    testing::Values(YesNoCase{"", true, true}, YesNoCase{"  ", false, false},
                    YesNoCase{"да", false, true}, YesNoCase{" Да ", false, true},
                    YesNoCase{"ДА", false, true}, YesNoCase{"д", false, true},
                    YesNoCase{"Y", false, true}, YesNoCase{"yes", false, true},
                    YesNoCase{"нет", true, false}, YesNoCase{"НЕТ", true, false},
                    YesNoCase{"Н", true, false}, YesNoCase{"No", true, false},
                    YesNoCase{"n", true, false}, YesNoCase{"дан", true, std::nullopt},
                    YesNoCase{"yess", true, std::nullopt}, YesNoCase{"0", true, std::nullopt}));

struct QuestionCase {
    const char* name;
    std::deque<InputLine> lines;
    bool answer;
    std::size_t asked;
    std::vector<std::string> told;
};

class YesNoQuestion : public testing::TestWithParam<QuestionCase> {};

TEST_P(YesNoQuestion, TakesTheFirstLineThatAnswers) {
    TypedAnswers answers(GetParam().lines);
    TerminalPrompts prompts(answers);
    EXPECT_EQ(prompts.askYesNo("Очистка таблицы.", "Очистить?", true), GetParam().answer);
    ASSERT_EQ(answers.questions.size(), GetParam().asked);
    EXPECT_EQ(answers.questions[0], "Очистка таблицы. Очистить? [Да/нет]");
    EXPECT_EQ(answers.told, GetParam().told);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, YesNoQuestion,
    testing::Values(QuestionCase{"Default", {typed("")}, true, 1, {}},
                    QuestionCase{"No", {typed("нет")}, false, 1, {}},
                    QuestionCase{
                        "AskedAgain", {typed("?"), typed("д")}, true, 2, {"answer да or нет"}},
                    QuestionCase{"TooLongAskedAgain",
                                 {overlong, typed("n")},
                                 false,
                                 2,
                                 {"line refused: longer than 4096 bytes"}},
                    QuestionCase{"NoAnswerCanCome", {}, false, 1, {}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TerminalPrompts, NoIsTheDefaultWhereTheQuestionSaysSo) {
    TypedAnswers answers({typed("")});
    TerminalPrompts prompts(answers);
    EXPECT_FALSE(prompts.askYesNo("C", "Q?", false));
    EXPECT_EQ(answers.questions, std::vector<std::string>{"C Q? [да/Нет]"});
}

const reports::SaveAsRequest dumpQuestion{
    "tdm", "ZORAFIL", "Файлы дампов тестера ISO14230 (*.tdm)|*.tdm|Все файлы (*.*)|*.*||"};

struct PathCase {
    std::deque<InputLine> lines;
    std::optional<std::string> path;
    friend void PrintTo(const PathCase& c, std::ostream* out) {
        for (const InputLine& line : c.lines) {
            case_names::printText(line.tooLong ? "(too long)" : line.text, out);
            *out << ' ';
        }
        *out << "lines";
    }
};

class SavePath : public testing::TestWithParam<PathCase> {};

TEST_P(SavePath, IsTheTypedNameWithTheDefaultExtensionOrNone) {
    TypedAnswers answers(GetParam().lines);
    TerminalPrompts prompts(answers);
    EXPECT_EQ(prompts.askSavePath(dumpQuestion), GetParam().path);
    EXPECT_EQ(answers.questions[0],
              "Сохранить в файл: Файлы дампов тестера ISO14230 (*.tdm); пустая строка - отмена:");
}

INSTANTIATE_TEST_SUITE_P(
    Names, SavePath,
    testing::Values(PathCase{{typed("car")}, "car.tdm"}, PathCase{{typed(" car.tdm ")}, "car.tdm"},
                    PathCase{{typed("/tmp/гараж/car.log")}, "/tmp/гараж/car.log"},
                    PathCase{{typed("./dumps.d/car")}, "./dumps.d/car.tdm"},
                    PathCase{{typed("")}, std::nullopt}, PathCase{{typed("  ")}, std::nullopt},
                    PathCase{{overlong, typed("x")}, "x.tdm"}, PathCase{{}, std::nullopt},
                    // The system would write "a.tdm" while "a.tdm\0b.tdm" was announced.
                    PathCase{{typed(std::string("a.tdm\0b.tdm", 11)), typed("c")}, "c.tdm"}));

TEST(TerminalPrompts, ANameWithANulIsRefusedAndAskedAgain) {
    TypedAnswers answers({typed(std::string("a\0", 2)), typed("")});
    TerminalPrompts prompts(answers);
    EXPECT_EQ(prompts.askSavePath(dumpQuestion), std::nullopt);
    EXPECT_EQ(answers.told,
              std::vector<std::string>{"a file name cannot hold a NUL byte: type another"});
    EXPECT_EQ(answers.questions.size(), 2u);
}

TEST(TerminalPrompts, AGivenCommentAnswersOnceWithoutAsking) {
    TypedAnswers answers({typed("")});
    TerminalPrompts prompts(answers);
    prompts.giveComment("до ремонта");
    EXPECT_EQ(prompts.askComment(256), "до ремонта");
    EXPECT_TRUE(answers.questions.empty());
    EXPECT_EQ(prompts.askComment(256), std::nullopt) << "asked, and an empty line is none";
    EXPECT_EQ(answers.questions.size(), 1u);
}

// A comment the report cannot take as typed is never changed unseen: it is
// refused with the reason and asked for again.
TEST(TerminalPrompts, ACommentTheReportCannotTakeAsTypedIsAskedAgain) {
    const struct {
        std::string typed;
        std::string told;
    } cases[] = {
        {std::string(6, 'x'), "longer than 5 characters: type a shorter one"},
        {std::string("до\0 р", 8),
         "a comment cannot hold a NUL byte (it would end the line for whatever reads the dump): "
         "type it again"},
        {"№3 ✓½", "the tester dump's code page (CP1251) cannot carry ✓ ½: type it without them"},
    };
    for (const auto& c : cases) {
        TypedAnswers answers({typed(c.typed), typed("Волга")});
        TerminalPrompts prompts(answers);
        EXPECT_EQ(prompts.askComment(5), "Волга") << "five characters, ten bytes";
        EXPECT_EQ(answers.told, std::vector<std::string>{c.told});
        EXPECT_EQ(answers.questions.size(), 2u);
    }
}

TEST(TerminalPrompts, AMessageIsToldWithItsCaption) {
    TypedAnswers answers({});
    TerminalPrompts prompts(answers);
    prompts.showMessage("Ошибка исполнения", "Не возможно открыть файл.",
                        reports::MessageIcon::error);
    EXPECT_EQ(answers.told,
              std::vector<std::string>{"Ошибка исполнения: Не возможно открыть файл."});
}

}  // namespace
}  // namespace ecuprobe::cli
