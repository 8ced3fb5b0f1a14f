#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

#include "case_names.h"
#include "measured_fixture.h"

namespace ecuprobe::console::testing {
namespace {

using ecuprobe::case_names::PrintTo;

using measure::SampleResult;

struct InputCase {
    const char* start;
    const char* end;
    const char* message;  // empty: accepted
    friend void PrintTo(const InputCase& c, std::ostream* out) {
        *out << c.start << " to " << c.end;
    }
};

class DynamicInputs : public TestForms, public ::testing::WithParamInterface<InputCase> {};

TEST_P(DynamicInputs, AreCheckedBeforeAnythingIsSent) {
    answer = [](int) { return std::nullopt; };
    MeasuredForm form(dynamicRun, session, prompts);
    form.setLevels(firstFourDigits(GetParam().start), firstFourDigits(GetParam().end));
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
    MeasuredForm loss(lossRun, session, prompts);
    const struct {
        std::uint32_t start, end;
        const char* message;
    } lossCases[] = {
        {2999, 2000, "Начальные обороты должны быть не менее 3000."},
        {5000, 3001, "Конечные обороты должны быть менее 3000."},
        {3500, 3000, "Начальные обороты должны быть больше конечных не менее чем на 1000."}};
    for (const auto& c : lossCases) {
        loss.setLevels(c.start, c.end);
        EXPECT_FALSE(run(loss).started) << c.start;
        EXPECT_EQ(prompts.messages.back().text, c.message);
    }
    MeasuredForm acceleration(accelerationRun, session, prompts);
    acceleration.setLevels(acceleration.startLevel(), acceleration.startLevel());
    EXPECT_FALSE(run(acceleration).started);
    EXPECT_EQ(prompts.messages.back().text, "Начальные и конечные скорости должны отличаться.");
    EXPECT_TRUE(ecu.sent.empty());
}

TEST_F(TestForms, UntickedSaveShowsTheResultsAndWritesNothing) {
    runUp(answer);
    MeasuredForm form(dynamicRun, session, prompts);
    form.save = false;
    const TestRun outcome = run(form);
    EXPECT_EQ(outcome.result, SampleResult::Ok);
    EXPECT_FALSE(outcome.report.has_value());
    EXPECT_EQ(text(form, dynamic_test::rpmAfter), "5600");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(TestForms, RecordedSamplesAreThoseOfTheLastRunThatEndedOk) {
    runUp(answer);
    MeasuredForm form(dynamicRun, session, prompts);
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
#ifdef _WIN32
        GTEST_SKIP() << "Windows keeps a process's current folder from being removed";
#endif
        std::filesystem::create_directory(folder / "gone");
        std::filesystem::current_path(folder / "gone");
        std::filesystem::remove(folder / "gone");
    }
    runUp(answer);
    MeasuredForm form(dynamicRun, session, prompts);
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
    MeasuredForm form(dynamicRun, session, prompts);
    ASSERT_EQ(run(form).report, reports::ReportOutcome::reportFailed);
    answer = [](int) -> std::optional<Bytes> { return testDataSet(3000, 0); };
    ASSERT_EQ(run(form).result, SampleResult::StartCondition);
    EXPECT_FALSE(form.unsavedRun());
    EXPECT_EQ(form.saveLastRun(), reports::ReportOutcome::cancelled);
    EXPECT_TRUE(prompts.saveRequests.empty());
}

TEST_F(TestForms, AStartWithRefusedLevelsDropsAnUnsavedRunToo) {
    reports::currentDumpPath = "/nonexistent/car.tdm";
    runUp(answer);
    MeasuredForm form(dynamicRun, session, prompts);
    ASSERT_EQ(run(form).report, reports::ReportOutcome::reportFailed);
    form.setLevels(2000, 6001);
    EXPECT_FALSE(run(form).started);
    EXPECT_FALSE(form.unsavedRun());
}

struct RunErrorCase {
    const char* name;
    std::function<std::unique_ptr<MeasuredForm>(ecu::EcuSession&, reports::UserPrompts&)> make;
    std::function<std::optional<Bytes>(int)> answer;
    bool speedSensor;
    const char* text;
    const char* caption;
};

class RunErrors : public TestForms, public ::testing::WithParamInterface<RunErrorCase> {};

// A failed run shows its test's message and leaves the results as they were.
TEST_P(RunErrors, ShowTheirTestsMessage) {
    answer = GetParam().answer;
    stateOf(session).identity.hasSpeedSensor = GetParam().speedSensor ? 1 : 0;
    const std::unique_ptr<MeasuredForm> form = GetParam().make(session, prompts);
    const std::vector<std::pair<ControlId, std::string>> before = form->resultTexts();
    EXPECT_NE(run(*form).result, SampleResult::Ok);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, GetParam().text);
    EXPECT_EQ(prompts.messages[0].caption, GetParam().caption);
    EXPECT_EQ(form->resultTexts(), before);
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

template <const RunDescriptor& row>
std::unique_ptr<MeasuredForm> make(ecu::EcuSession& session, reports::UserPrompts& prompts) {
    return std::make_unique<MeasuredForm>(row, session, prompts);
}

std::optional<Bytes> silent(int) {
    return std::nullopt;
}

INSTANTIATE_TEST_SUITE_P(
    Tests, RunErrors,
    ::testing::Values(
        RunErrorCase{"DynamicLostLink", make<dynamicRun>, silent, true,
                     "Ошибка потеряна связь с ЭБУ", "Ошибка исполнения теста"},
        RunErrorCase{"DynamicAlreadyAbove", make<dynamicRun>,
                     [](int) { return testDataSet(2400, 0); }, true,
                     "Начальные обороты достигнуты до начала теста.", "Ошибка задания параметров"},
        RunErrorCase{"DynamicEngineStopped", make<dynamicRun>,
                     [](int) { return testDataSet(0, 0); }, true,
                     "Двигатель заглушен или работает на стабильно.", "Ошибка исполнения"},
        RunErrorCase{"AccelerationAlreadyFaster", make<accelerationRun>,
                     [](int) { return testDataSet(2000, 30); }, true,
                     "Начальные уловия не соответствуют тесту.", "Ошибка задания параметров"},
        RunErrorCase{"AccelerationWithoutSpeedSensor", make<accelerationRun>, silent, false,
                     "Ваш автомобиль не оснащен датчиком скорости. Тест не возможен.",
                     "Ошибка исполнения"},
        RunErrorCase{"LossNeverRevved", make<lossRun>, [](int) { return testDataSet(800, 0); },
                     true, "Начальные обороты < 5000 об/мин.", "Ошибка оператора."},
        RunErrorCase{"LossHeldAboveTheStart", make<lossRun>,
                     [](int) { return testDataSet(5600, 0); }, true,
                     "Таймаут. Начальные обороты не достигнуты.", "Ошибка исполнения"},
        RunErrorCase{"DynamicNeverAtTheStart", make<dynamicRun>,
                     [](int) { return testDataSet(1200, 0); }, true,
                     "Таймаут. Начальные обороты не достигнуты.", "Ошибка исполнения"},
        RunErrorCase{"DynamicNeverAtTheEnd", make<dynamicRun>,
                     [](int) { return testDataSet(2000, 0); }, true,
                     "Таймаут. Конечные обороты не достигнуты.", "Ошибка исполнения"},
        RunErrorCase{"AccelerationLostLink", make<accelerationRun>, silent, true,
                     "Ошибка потеряна связь с ЭБУ", "Ошибка исполнения теста"},
        RunErrorCase{"AccelerationNeverAtTheStart", make<accelerationRun>,
                     [](int) { return testDataSet(2000, 10); }, true,
                     "Таймаут. Начальная скорость не достигнута.", "Ошибка исполнения"},
        RunErrorCase{"AccelerationNeverAtTheEnd", make<accelerationRun>,
                     [](int) { return testDataSet(2000, 20); }, true,
                     "Таймаут. Конечная скорость не достигнута.", "Ошибка исполнения"},
        RunErrorCase{"LossLostLink", make<lossRun>, silent, true, "Ошибка потеряна связь с ЭБУ",
                     "Ошибка исполнения теста"},
        RunErrorCase{"LossNeverAtTheEnd", make<lossRun>,
                     [](int n) { return testDataSet(n < 2 ? 5600 : 2400, 0); }, true,
                     "Таймаут. Конечные обороты не достигнуты.", "Ошибка исполнения"},
        RunErrorCase{"LossEngineStopped", make<lossRun>, [](int) { return testDataSet(0, 0); },
                     true, "Двигатель заглушен или работает на стабильно.", "Ошибка исполнения"}),
    [](const auto& param) { return std::string(param.param.name); });

// Without an equipment read on this connection a car with a speed sensor would be
// told it has none: the test asks for the equipment first.
TEST_F(TestForms, ASpeedTestReadsTheEquipmentFirstWhenItIsNotKnown) {
    stateOf(session).identity.equipmentRead = false;
    stateOf(session).identity.hasSpeedSensor = 0;
    const Bytes speedSensor{0x40, 0x00, 0x00, 0x00, 0x00, 0x00};
    ecu.reply = [this, speedSensor](const Bytes& payload) -> std::optional<Bytes> {
        if (payload == Bytes{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}) {
            return speedSensor;
        }
        return payload[0] == 0x63 ? testDataSet(2000, polls++ < 2 ? 10 : 90) : Bytes{0x00};
    };
    MeasuredForm form(accelerationRun, session, prompts);
    form.save = false;
    EXPECT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(ecu.payloads().front(), (Bytes{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}));
    EXPECT_EQ(session.identity().hasSpeedSensor, 1);
}

TEST(PerSecond, ANoTimeRunShowsZeroInsteadOfDividing) {
    EXPECT_EQ(perSecond(3600, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(perSecond(-50, 2.0f), -25.0f);
}

}  // namespace
}  // namespace ecuprobe::console::testing
