#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "console/acceleration_test_form.h"
#include "console/dynamic_test_form.h"
#include "console/loss_test_form.h"
#include "report_test_support.h"
#include "scripted_ecu.h"
#include "scripted_prompts.h"

namespace ecuprobe::console {
namespace {

using ecu::testing::Bytes;
using ecu::testing::testDataSet;
using measure::SampleResult;
using reports::testing::fileBytes;
using reports::testing::hex;

// The forms on a scripted ECU whose n-th answer to 0x63 is answer(n), in a scratch
// folder for the files.
class TestForms : public ecu::testing::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        scratch.emplace();
        folder = scratch->path;
        openConnected();
        session.identity.hasSpeedSensor = 1;
        session.identity.equipmentRead = true;
        ecu.reply = [this](const Bytes& payload) -> std::optional<Bytes> {
            return payload[0] == 0x63 ? answer(polls++) : Bytes{0x00};
        };
        reports::currentDumpPath = (folder / "car.tdm").string();
        prompts.comments = {std::nullopt};
    }
    void TearDown() override {
        ecu::exchangeBusy = 0;
        reports::currentDumpPath.clear();
        scratch.reset();
        SessionTest::TearDown();
    }

    TestRun run(MeasuredTestForm& form) {
        measure::TestSampler sampler(session);
        return form.run(sampler);
    }
    std::string dump() const { return fileBytes(folder / "car.tdm"); }
    std::string text(const MeasuredTestForm& form, ControlId id) const {
        for (const auto& [control, value] : form.resultTexts()) {
            if (control == id) {
                return value;
            }
        }
        return "(none)";
    }

    std::optional<reports::testing::ScratchFolder> scratch;
    std::filesystem::path folder;
    std::function<std::optional<Bytes>(int)> answer;
    int polls = 0;
    ecuprobe::testing::ScriptedPrompts prompts;
};

struct InputCase {
    const char* start;
    const char* end;
    const char* message;  // empty: accepted
};

class DynamicInputs : public TestForms, public ::testing::WithParamInterface<InputCase> {};

TEST_P(DynamicInputs, AreCheckedBeforeAnythingIsSent) {
    answer = [](int) { return std::nullopt; };
    DynamicTestForm form(session, prompts);
    form.setStartText(GetParam().start);
    form.setEndText(GetParam().end);
    const TestRun outcome = run(form);
    const std::string expected = GetParam().message;
    EXPECT_EQ(outcome.started, expected.empty());
    if (!expected.empty()) {
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, expected);
        EXPECT_EQ(prompts.messages[0].caption, "Ошибка задания параметров");
        EXPECT_EQ(prompts.messages[0].icon, reports::MessageIcon::error);
        EXPECT_TRUE(ecu.sent.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, DynamicInputs,
    ::testing::Values(
        InputCase{"1000", "2000", ""},
        InputCase{"999", "2000", "Начальные обороты должны быть не менее 1000."},
        InputCase{"2000", "2999",
                  "Начальные обороты должны быть меньше конечных не менее чем на 1000."},
        InputCase{"3000", "2000",
                  "Начальные обороты должны быть меньше конечных не менее чем на 1000."},
        InputCase{"2000", "6000", ""},
        InputCase{"2000", "6001", "Конечные обороты должны быть менее 6000."},
        // Only the first four characters count: 12345 is 1234.
        InputCase{"1000", "12345",
                  "Начальные обороты должны быть меньше конечных не менее чем на 1000."},
        InputCase{"abc", "5500", "Начальные обороты должны быть не менее 1000."}));

TEST(FirstFourDigits, CountLeadingDigitsOfTheFirstFourCharacters) {
    EXPECT_EQ(firstFourDigits("12345"), 1234u);
    EXPECT_EQ(firstFourDigits("20x0"), 20u);
    EXPECT_EQ(firstFourDigits("оборот"), 0u);
    EXPECT_EQ(firstFourDigits(""), 0u);
}

TEST_F(TestForms, LossAndAccelerationInputsAreCheckedToo) {
    MechanicalLossTestForm loss(session, prompts);
    const struct {
        std::uint32_t start, end;
        const char* message;
    } lossCases[] = {
        {2999, 2000, "Начальные обороты должны быть не менее 3000."},
        {5000, 3001, "Конечные обороты должны быть менее 3000."},
        {3500, 3000, "Начальные обороты должны быть больше конечных не менее чем на 1000."}};
    for (const auto& c : lossCases) {
        loss.startSpeed = c.start;
        loss.endSpeed = c.end;
        EXPECT_FALSE(run(loss).started) << c.start;
        EXPECT_EQ(prompts.messages.back().text, c.message);
    }
    AccelerationTestForm acceleration(session, prompts);
    acceleration.endSpeed = acceleration.startSpeed;
    EXPECT_FALSE(run(acceleration).started);
    EXPECT_EQ(prompts.messages.back().text, "Начальные и конечные скорости должны отличаться.");
    EXPECT_TRUE(ecu.sent.empty());
}

// Armed at 2000 rpm on the first answer after the first look, ended at 5600 on the next.
void runUp(std::function<std::optional<Bytes>(int)>& script) {
    script = [](int n) -> std::optional<Bytes> {
        if (n == 0) {
            return testDataSet(1200, 10);
        }
        return n == 1 ? testDataSet(2000, 12) : testDataSet(5600, 30, 131, 200, 800);
    };
}

TEST_F(TestForms, DynamicRunInThirdGearShowsItsResultsAndWritesItsReportInCp1251) {
    runUp(answer);
    DynamicTestForm form(session, prompts);
    form.clickOnTheMove();
    form.chooseGear(3);
    const TestRun outcome = run(form);
    ASSERT_EQ(outcome.result, SampleResult::Ok);
    EXPECT_EQ(outcome.report, reports::ReportOutcome::saved);
    ASSERT_EQ(form.record().durationMs, 53u);
    EXPECT_EQ(text(form, dynamic_test::runUpTime), "0.053");
    EXPECT_EQ(text(form, dynamic_test::rpmAfter), "5600");
    EXPECT_EQ(text(form, dynamic_test::speedAfter), "30");
    EXPECT_EQ(text(form, dynamic_test::engineAcceleration), "67924.5");
    EXPECT_EQ(text(form, dynamic_test::coolantHeating), "1");
    const std::string body =
        "\r\n\r\n " + hex("C4 EB E8 F2 E5 EB FC ED EE F1 F2 FC 20 F0 E0 E7 E3 EE ED E0 3A") +
        "\t0.0530\t" + hex("63 E5 EA 2E") + "\r\n " +
        hex("D2 E5 EC EF E5 F0 E0 F2 F3 F0 E0 20 EE F5 EB E0 E6 E4 E0 FE F9 E5 E9 20 E6 E8 E4 EA "
            "EE F1 F2 E8 20 E4 EE 3A") +
        "   90\t" + hex("EF EE F1 EB E5 3A") + "   91\t" + hex("E3 F0 E0 E4 2E D1 2E") + "\r\n " +
        hex("D1 EA EE F0 EE F1 F2 FC 20 E2 F0 E0 F9 E5 ED E8 FF 20 E4 E2 E8 E3 E0 F2 E5 EB FF") +
        "      " + hex("E4 EE 3A") + " 2000\t" + hex("EF EE F1 EB E5 3A") + " 5600\t" +
        hex("EE E1 2E 2F EC E8 ED 2E") + "\r\n " +
        hex("D1 EA EE F0 EE F1 F2 FC 20 E0 E2 F2 EE EC EE E1 E8 EB FF") + "              " +
        hex("E4 EE 3A") + "  12\t" + hex("EF EE F1 EB E5 3A") + "  30\t" +
        hex("EA EC 2E 2F F7 E0 F1 2E") + "\r\n " +
        hex("CF F3 F2 E5 E2 EE E9 20 F0 E0 F1 F5 EE E4 20 F2 EE EF EB E8 E2 E0") + "           " +
        hex("E4 EE 3A") + " 83.328\t" + hex("EF EE F1 EB E5 3A") + " 66.664\t" +
        hex("EB 2E 2F 31 30 30 EA EC 2E") + "\r\n " +
        hex("CC E0 F1 F1 EE E2 FB E9 20 F0 E0 F1 F5 EE E4 20 E2 EE E7 E4 F3 F5 E0") + "          " +
        hex("E4 EE 3A") + " 25.000\t" + hex("EF EE F1 EB E5 3A") + " 80.000\t" +
        hex("EA E3 2E 2F F7 E0 F1 2E") + "\r\n " +
        hex("D7 E0 F1 EE E2 EE E9 20 F0 E0 F1 F5 EE E4 20 F2 EE EF EB E8 E2 E0") + "           " +
        hex("E4 EE 3A") + " 10.00\t" + hex("EF EE F1 EB E5 3A") + " 20.00\t" +
        hex("EB 2E 2F F7 E0 F1 2E") + "\r\n\r\n " +
        hex("D3 F1 EA EE F0 E5 ED E8 E5 20 EE E1 EE F0 EE F2 EE E2 20 E4 E2 E8 E3 E0 F2 E5 EB FF "
            "3A") +
        "\t\t67924.5234\t" + hex("28 EE E1 2E 2F EC E8 ED 29 2F 63 E5 EA 2E") + "\r\n " +
        hex("D3 F1 EA EE F0 E5 ED E8 E5 20 E0 E2 F2 EE EC EE E1 E8 EB FF 3A") + "\t\t\t339.6226\t" +
        hex("28 EA EC 2E 2F F7 E0 F1 29 2F F1 E5 EA 2E") + " " +
        hex("ED E0 20 EF E5 F0 E5 E4 E0 F7 E5 3A") + " 3.\r\n " +
        hex("D0 EE F1 F2 20 F2 E5 EC EF E5 F0 E0 F2 F3 F0 E0 20 EE F5 EB E0 E6 E4 E0 FE F9 E5 E9 "
            "20 E6 E8 E4 EA EE F1 F2 E8 3A") +
        " 1\t\t" + hex("E3 F0 E0 E4 2E D1 2E 2F 63") + "\r\n";
    EXPECT_NE(dump().find(body), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder / "1700000000.dmp"));
}

TEST_F(TestForms, StandingRunWritesNoSpeedLinesAndKeepsTheSpeedFields) {
    runUp(answer);
    DynamicTestForm form(session, prompts);
    ASSERT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(text(form, dynamic_test::speedAfter), "0");
    EXPECT_EQ(text(form, dynamic_test::vehicleAcceleration), "0");
    const std::string written = dump();
    EXPECT_EQ(written.find(hex("D1 EA EE F0 EE F1 F2 FC 20 E0 E2 F2 EE EC EE E1 E8 EB FF")),
              std::string::npos);
    EXPECT_EQ(written.find(hex("ED E0 20 EF E5 F0 E5 E4 E0 F7 E5 3A")), std::string::npos);
}

TEST_F(TestForms, UntickedSaveShowsTheResultsAndWritesNothing) {
    runUp(answer);
    DynamicTestForm form(session, prompts);
    form.save = false;
    const TestRun outcome = run(form);
    EXPECT_EQ(outcome.result, SampleResult::Ok);
    EXPECT_FALSE(outcome.report.has_value());
    EXPECT_EQ(text(form, dynamic_test::rpmAfter), "5600");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(TestForms, RecordedSamplesAreThoseOfTheLastRunThatEndedOk) {
    runUp(answer);
    DynamicTestForm form(session, prompts);
    form.save = false;
    ASSERT_EQ(run(form).result, SampleResult::Ok);
    ASSERT_EQ(form.recorded().size(), 2u);
    EXPECT_EQ(form.recorded()[0].freq, 2000);
    EXPECT_EQ(form.recorded()[1].freq, 5600);
    EXPECT_EQ(form.recorded()[1].tick - form.recorded()[0].tick, 53u);
    answer = [](int) -> std::optional<Bytes> { return testDataSet(3000, 0); };
    ASSERT_EQ(run(form).result, SampleResult::StartCondition);
    EXPECT_EQ(form.recorded().size(), 2u);
}

struct UnsavedCase {
    const char* name;
    const char* dumpPath;  // in the scratch folder unless absolute; none: Save-As cancelled
    bool sampleFolderGone;
    reports::ReportOutcome outcome;
};

class UnsavedRun : public TestForms, public ::testing::WithParamInterface<UnsavedCase> {};

// A run whose report was not written keeps its results and samples until the next
// run, and saves them to a file asked for afresh, its sample file beside it.
TEST_P(UnsavedRun, IsKeptAndSavedAgainToAFileAskedForAfresh) {
    const char* dumpPath = GetParam().dumpPath;
    reports::currentDumpPath = dumpPath == nullptr  ? ""
                               : dumpPath[0] == '/' ? std::string(dumpPath)
                                                    : (folder / dumpPath).string();
    if (GetParam().sampleFolderGone) {
        std::filesystem::create_directory(folder / "gone");
        std::filesystem::current_path(folder / "gone");
        std::filesystem::remove(folder / "gone");
    }
    runUp(answer);
    DynamicTestForm form(session, prompts);
    EXPECT_EQ(run(form).report, GetParam().outcome);
    ASSERT_TRUE(form.unsavedRun());
    std::filesystem::create_directory(folder / "again");
    prompts.savePaths = {(folder / "again" / "new.tdm").string()};
    EXPECT_EQ(form.saveLastRun(), reports::ReportOutcome::saved);
    EXPECT_FALSE(form.unsavedRun());
    EXPECT_EQ(prompts.saveRequests.back().proposedName, "ZORAFIL");
    const std::string again = fileBytes(folder / "again" / "new.tdm");
    EXPECT_NE(again.find("\t0.0530\t"), std::string::npos) << "the run's results";
    EXPECT_TRUE(again.ends_with(": 1700000000.dmp"));
    EXPECT_NE(fileBytes(folder / "again" / "1700000000.dmp").find("\t5600\t30\t"),
              std::string::npos);
    std::filesystem::current_path(folder);
}

INSTANTIATE_TEST_SUITE_P(Reports, UnsavedRun,
                         ::testing::Values(UnsavedCase{"DumpFileFailed", "/nonexistent/car.tdm",
                                                       false, reports::ReportOutcome::reportFailed},
                                           UnsavedCase{"Cancelled", nullptr, false,
                                                       reports::ReportOutcome::cancelled},
                                           UnsavedCase{"SampleFileFailed", "car.tdm", true,
                                                       reports::ReportOutcome::detailFailed}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(TestForms, TheNextRunDropsAnUnsavedOne) {
    reports::currentDumpPath = "/nonexistent/car.tdm";
    runUp(answer);
    DynamicTestForm form(session, prompts);
    ASSERT_EQ(run(form).report, reports::ReportOutcome::reportFailed);
    answer = [](int) -> std::optional<Bytes> { return testDataSet(3000, 0); };
    ASSERT_EQ(run(form).result, SampleResult::StartCondition);
    EXPECT_FALSE(form.unsavedRun());
    EXPECT_EQ(form.saveLastRun(), reports::ReportOutcome::cancelled);
    EXPECT_TRUE(prompts.saveRequests.empty());
}

struct RunErrorCase {
    const char* name;
    std::function<std::unique_ptr<MeasuredTestForm>(ecu::EcuSession&, reports::UserPrompts&)> make;
    std::function<std::optional<Bytes>(int)> answer;
    bool speedSensor;
    const char* text;
    const char* caption;
};

class RunErrors : public TestForms, public ::testing::WithParamInterface<RunErrorCase> {};

// A failed run shows its test's message and leaves the results as they were.
TEST_P(RunErrors, ShowTheirTestsMessage) {
    answer = GetParam().answer;
    session.identity.hasSpeedSensor = GetParam().speedSensor ? 1 : 0;
    const std::unique_ptr<MeasuredTestForm> form = GetParam().make(session, prompts);
    const std::vector<std::pair<ControlId, std::string>> before = form->resultTexts();
    EXPECT_NE(run(*form).result, SampleResult::Ok);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, GetParam().text);
    EXPECT_EQ(prompts.messages[0].caption, GetParam().caption);
    EXPECT_EQ(form->resultTexts(), before);
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

template <typename Form>
std::unique_ptr<MeasuredTestForm> make(ecu::EcuSession& session, reports::UserPrompts& prompts) {
    return std::make_unique<Form>(session, prompts);
}

std::optional<Bytes> silent(int) {
    return std::nullopt;
}

INSTANTIATE_TEST_SUITE_P(
    Tests, RunErrors,
    ::testing::Values(
        RunErrorCase{"DynamicLostLink", make<DynamicTestForm>, silent, true,
                     "Ошибка потеряна связь с ЭБУ", "Ошибка исполнения теста"},
        RunErrorCase{"DynamicAlreadyAbove", make<DynamicTestForm>,
                     [](int) { return testDataSet(2400, 0); }, true,
                     "Начальные обороты достигнуты до начала теста.", "Ошибка задания параметров"},
        RunErrorCase{"DynamicEngineStopped", make<DynamicTestForm>,
                     [](int) { return testDataSet(0, 0); }, true,
                     "Двигатель заглушен или работает на стабильно.", "Ошибка исполнения"},
        RunErrorCase{"AccelerationAlreadyFaster", make<AccelerationTestForm>,
                     [](int) { return testDataSet(2000, 30); }, true,
                     "Начальные уловия не соответствуют тесту.", "Ошибка задания параметров"},
        RunErrorCase{"AccelerationWithoutSpeedSensor", make<AccelerationTestForm>, silent, false,
                     "Ваш автомобиль не оснащен датчиком скорости. Тест не возможен.",
                     "Ошибка исполнения"},
        RunErrorCase{"LossNeverRevved", make<MechanicalLossTestForm>,
                     [](int) { return testDataSet(800, 0); }, true,
                     "Начальные обороты < 5000 об/мин.", "Ошибка оператора."},
        RunErrorCase{"LossHeldAboveTheStart", make<MechanicalLossTestForm>,
                     [](int) { return testDataSet(5600, 0); }, true,
                     "Таймаут. Начальные обороты не достигнуты.", "Ошибка исполнения"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(TestForms, SlowingDownGivesANegativeRateAndTheGearZeroWhenNoneWasChosen) {
    answer = [](int n) -> std::optional<Bytes> {
        return testDataSet(3000 - 200 * n, std::max(0, 90 - 10 * n));
    };
    AccelerationTestForm form(session, prompts);
    form.startSpeed = 80;
    form.endSpeed = 30;
    ASSERT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(text(form, acceleration_test::vehicleRate).front(), '-');
    EXPECT_NE(dump().find(hex("ED E0 20 EF E5 F0 E5 E4 E0 F7 E5 3A") + " 0."), std::string::npos);
}

TEST_F(TestForms, CoastDownReportHasNoAirNoGearNoCoolantRiseLine) {
    answer = [](int n) -> std::optional<Bytes> {
        return testDataSet(n < 3 ? 5600 : std::max(800, 5600 - 400 * (n - 2)), 0);
    };
    MechanicalLossTestForm form(session, prompts);
    form.save = true;
    ASSERT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(text(form, loss_test::vehicleDecay), "0");
    const std::string written = dump();
    EXPECT_NE(written.find(
                  "\r\n\r\n " +
                  hex("C4 EB E8 F2 E5 EB FC ED EE F1 F2 FC 20 F2 EE F0 EC EE E6 E5 ED E8 FF 3A")),
              std::string::npos);
    EXPECT_NE(written.find("\t0.0000\t(" + hex("EA EC 2E 2F F7 E0 F1") + ")/cek."),
              std::string::npos);
    EXPECT_EQ(written.find(hex("CC E0 F1 F1 EE E2 FB E9")), std::string::npos);
    EXPECT_EQ(written.find(hex("D0 EE F1 F2 20")), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder / "1700000000.dmm"));
}

// Without an equipment read on this connection a car with a speed sensor would be
// told it has none: the test asks for the equipment first.
TEST_F(TestForms, ASpeedTestReadsTheEquipmentFirstWhenItIsNotKnown) {
    session.identity.equipmentRead = false;
    session.identity.hasSpeedSensor = 0;
    const Bytes speedSensor{0x40, 0x00, 0x00, 0x00, 0x00, 0x00};
    ecu.reply = [this, speedSensor](const Bytes& payload) -> std::optional<Bytes> {
        if (payload == Bytes{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}) {
            return speedSensor;
        }
        return payload[0] == 0x63 ? testDataSet(2000, polls++ < 2 ? 10 : 90) : Bytes{0x00};
    };
    AccelerationTestForm form(session, prompts);
    form.save = false;
    EXPECT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(ecu.payloads().front(), (Bytes{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(session.identity.hasSpeedSensor, 1);
}

TEST(PerSecond, ANoTimeRunShowsZeroInsteadOfDividing) {
    EXPECT_EQ(perSecond(3600, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(perSecond(-50, 2.0f), -25.0f);
}

}  // namespace
}  // namespace ecuprobe::console
