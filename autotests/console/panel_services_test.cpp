#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>

#include "case_names.h"
#include "console_ecu.h"
#include "report_test_support.h"
#include "reports/measured_report.h"

namespace ecuprobe::console::testing {
namespace {

const Bytes equipmentRequest{0x61, 0x01, 0x02, 0x03, 0x04, 0x05, 0x90, 0x0D};

TEST_F(PanelTest, IdentifyShowsTheTextsAndReadsOnlyTheEquipmentTheSecondTime) {
    peer.variables[0x01] = 0x41;  // permanent supply, speed sensor
    startConnected();
    const ClickResult first = panel->onClick(control::identify);
    EXPECT_EQ(first.dialog, DialogKind::identification);
    ASSERT_TRUE(first.identification.has_value());
    const IdentificationContent& content = *first.identification;
    EXPECT_EQ(content.fields[0].caption, "Блок Управления (ЭБУ):");
    EXPECT_EQ(content.fields[0].text, "Микас 5.4");
    // The ECU answers each passport request with a zero byte: three empty lines.
    EXPECT_EQ(content.fields[1].text, "\r\n\r\n\r\n");
    EXPECT_TRUE(content.fields[1].multiLine);
    EXPECT_EQ(content.equipment, "постоянное питание блока, \r\nдатчик скорости, ");
    EXPECT_EQ(peer.frames.size(), 17u);
    EXPECT_EQ(peer.frames.back(), equipmentRequest);
    peer.frames.clear();
    const ClickResult second = panel->onClick(control::identify);
    EXPECT_EQ(second.identification, first.identification);
    EXPECT_EQ(peer.frames, std::vector<Bytes>{equipmentRequest});
}

TEST_F(PanelTest, IdentifyWithoutAnyPassportShowsNothing) {
    startConnected();
    for (std::uint8_t command = 0x51; command <= 0x58; ++command) {
        peer.ignored.insert(command);
    }
    const ClickResult result = panel->onClick(control::identify);
    EXPECT_EQ(result.outcome, ClickOutcome::done);
    EXPECT_EQ(result.dialog, DialogKind::none);
    EXPECT_FALSE(result.identification.has_value());
    EXPECT_EQ(peer.count(0x61), 7u) << "the texts, no equipment";
}

TEST_F(PanelTest, ControlParametersOpensTheFormAndSendsNothing) {
    peer.variables[0x2C] = 85;
    startConnected();
    const ClickResult result = panel->onClick(control::controlParameters);
    EXPECT_EQ(result.dialog, DialogKind::controlParameters);
    EXPECT_TRUE(peer.frames.empty());
    EXPECT_EQ(panel->controlParameterForm().text(ParameterField::idleSpeed), "850");
}

struct ResetCase {
    ControlId control;
    const char* question;
    Bytes frame;
    friend void PrintTo(const ResetCase& c, std::ostream* out) {
        *out << (c.control == control::lambdaAdaptationReset ? "lambda" : "knock");
    }
};

class ResetButton : public PanelTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetButton, AsksFirstAndSendsOnlyOnYes) {
    startConnected();
    prompts.answers = {false, true};
    for (const ResetOutcome outcome : {ResetOutcome::declined, ResetOutcome::cleared}) {
        const ClickResult result = panel->onClick(GetParam().control);
        EXPECT_EQ(result.outcome, ClickOutcome::done);
        EXPECT_EQ(result.reset, outcome);
    }
    EXPECT_EQ(peer.frames, std::vector<Bytes>{GetParam().frame});
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[0].caption, "Очистка таблицы.");
    EXPECT_EQ(prompts.questions[0].text, GetParam().question);
    EXPECT_TRUE(prompts.questions[0].yesIsDefault);
    // The command stays in 0x0E until the hand-back writes 0 there.
    EXPECT_TRUE(shown().isEnabled(control::releaseControls));
    EXPECT_EQ(shown().held, std::set<ControlId>{});
    EXPECT_EQ(shown().heldNote.rfind("Удерживается тестером: сброс адаптации", 0), 0u);
}

TEST_P(ResetButton, UnacknowledgedResetShowsItsTextAtOnce) {
    startConnected();
    prompts.answers = {true};
    peer.writeAnswer = 0x01;
    EXPECT_EQ(panel->onClick(GetParam().control).reset, ResetOutcome::failed);
    const char* expected = GetParam().control == control::lambdaAdaptationReset
                               ? "Ош.очист.L-зонда."
                               : "Ош.очист.датч.детон.";
    EXPECT_EQ(shown().text(control::statusText), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ResetButton,
    ::testing::Values(ResetCase{control::lambdaAdaptationReset,
                                "Вы действительно хотите очистить таблицу адоптации Лямда зонда?",
                                {0x62, 0x0E, 0x10, 0x80, 0x0D}},
                      ResetCase{
                          control::knockAdaptationReset,
                          "Вы действительно хотите очистить таблицу адоптации датчика детонации?",
                          {0x62, 0x0E, 0x20, 0x70, 0x0D}}));

// "Начать" forgets the dump file: the first Запись after every start asks for one,
// the next goes to the same file.
TEST_F(PanelTest, TheFirstRecordAfterEachStartAsksForTheDumpFile) {
    const reports::testing::ScratchFolder scratch;
    const std::vector<std::string> files{(scratch.path / "a.tdm").string(),
                                         (scratch.path / "b.tdm").string()};
    prompts.savePaths = {files[0], files[1]};
    for (const std::string& file : files) {
        panel.reset();
        panel.emplace(timer, prompts);
        startConnected();
        for (int record = 0; record < 2; ++record) {
            EXPECT_EQ(panel->onClick(control::saveDump).report, reports::ReportOutcome::saved);
        }
        EXPECT_EQ(reports::currentDumpPath, file);
    }
    EXPECT_EQ(prompts.saveRequests.size(), 2u);
    reports::currentDumpPath.clear();
}

// Answers Yes after letting the poll timer fire, as the window's message loop
// does while a question is open.
class PollingPrompts final : public reports::UserPrompts {
public:
    std::optional<std::string> askSavePath(const reports::SaveAsRequest&) override { return {}; }
    std::optional<std::string> askComment(std::size_t) override { return {}; }
    bool askYesNo(std::string_view, std::string_view, bool) override {
        whileOpen();
        return true;
    }
    void showMessage(std::string_view, std::string_view, reports::MessageIcon) override {}

    std::function<void()> whileOpen;
};

TEST_F(PanelTest, ThePollRunsWhileAResetQuestionIsOpen) {
    PollingPrompts polling;
    panel.reset();
    panel.emplace(timer, polling);
    startConnected();
    std::int32_t busyDuringQuestion = -1;
    polling.whileOpen = [&] {
        busyDuringQuestion = ecu::exchangeBusy;
        tick();
    };
    panel->onClick(control::knockAdaptationReset);
    EXPECT_EQ(busyDuringQuestion, 0);
    EXPECT_EQ(peer.commands(), (std::vector<std::uint8_t>{0x63, 0x61, 0x62}));
}

}  // namespace
}  // namespace ecuprobe::console::testing
