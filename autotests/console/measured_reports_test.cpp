#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "case_names.h"
#include "measured_fixture.h"
#include "platform/code_pages.h"

namespace ecuprobe::console::testing {
namespace {

using ecuprobe::case_names::PrintTo;

using measure::SampleResult;
using reports::testing::hex;

TEST_F(TestForms, DynamicRunInThirdGearShowsItsResultsAndWritesItsReportInCp1251) {
    runUp(answer);
    MeasuredForm form(dynamicRun, session, prompts);
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
    MeasuredForm form(dynamicRun, session, prompts);
    ASSERT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(text(form, dynamic_test::speedAfter), "0");
    EXPECT_EQ(text(form, dynamic_test::vehicleAcceleration), "0");
    const std::string written = dump();
    EXPECT_EQ(written.find(hex("D1 EA EE F0 EE F1 F2 FC 20 E0 E2 F2 EE EC EE E1 E8 EB FF")),
              std::string::npos);
    EXPECT_EQ(written.find(hex("ED E0 20 EF E5 F0 E5 E4 E0 F7 E5 3A")), std::string::npos);
}

TEST_F(TestForms, SlowingDownGivesANegativeRateAndTheGearZeroWhenNoneWasChosen) {
    answer = [](int n) -> std::optional<Bytes> {
        return testDataSet(3000 - 200 * n, std::max(0, 90 - 10 * n));
    };
    MeasuredForm form(accelerationRun, session, prompts);
    form.setLevels(80, 30);
    ASSERT_EQ(run(form).result, SampleResult::Ok);
    EXPECT_EQ(text(form, acceleration_test::vehicleRate).front(), '-');
    EXPECT_NE(dump().find(hex("ED E0 20 EF E5 F0 E5 E4 E0 F7 E5 3A") + " 0."), std::string::npos);
}

TEST_F(TestForms, CoastDownReportHasNoAirNoGearNoCoolantRiseLine) {
    answer = [](int n) -> std::optional<Bytes> {
        return testDataSet(n < 3 ? 5600 : std::max(800, 5600 - 400 * (n - 2)), 0);
    };
    MeasuredForm form(lossRun, session, prompts);
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

struct ReportCase {
    const char* name;
    std::unique_ptr<MeasuredForm> (*make)(ecu::EcuSession&, reports::UserPrompts&);
    std::optional<Bytes> (*answer)(int);
    const char* report;  // the whole dump file
    const char* sampleFile;
    const char* sampleHead;  // the sample file up to its first sample
};

class ReportOfARun : public TestForms, public ::testing::WithParamInterface<ReportCase> {};

// The whole report of one run and the head of its sample file, byte for byte.
TEST_P(ReportOfARun, IsWrittenWholeWithItsSampleFile) {
    answer = GetParam().answer;
    const std::unique_ptr<MeasuredForm> form = GetParam().make(session, prompts);
    ASSERT_EQ(run(*form).report, reports::ReportOutcome::saved);
    EXPECT_EQ(dump(), platform::utf8ToCp1251(GetParam().report));
    const std::string head = platform::utf8ToCp1251(GetParam().sampleHead);
    EXPECT_EQ(fileBytes(folder / GetParam().sampleFile).substr(0, head.size()), head);
}

std::unique_ptr<MeasuredForm> accelerationInSecondGear(ecu::EcuSession& session,
                                                       reports::UserPrompts& prompts) {
    auto form = std::make_unique<MeasuredForm>(accelerationRun, session, prompts);
    form->chooseGear(2);
    return form;
}

std::unique_ptr<MeasuredForm> savedLoss(ecu::EcuSession& session, reports::UserPrompts& prompts) {
    auto form = std::make_unique<MeasuredForm>(lossRun, session, prompts);
    form->save = true;
    return form;
}

// Armed at 20 km/h, ended at 80 on the next answer.
std::optional<Bytes> speedingUp(int n) {
    if (n == 0) {
        return testDataSet(1200, 10);
    }
    return n == 1 ? testDataSet(2000, 20) : testDataSet(4000, 80, 131, 200, 800);
}

// Up to 5600 rpm, armed on the fall to 4800, ended at 2000 on the next answer.
std::optional<Bytes> coastingDown(int n) {
    return n < 3 ? testDataSet(n < 2 ? 5600 : 4800, 30, 130, 30) : testDataSet(2000, 20, 131, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Tests, ReportOfARun,
    ::testing::Values(
        ReportCase{
            "Acceleration", accelerationInSecondGear, speedingUp,
            "\r\n\r\n \t ************************************************** \r\n"
            " \t ***   Результаты теста ускорения автомобиля.   *** \r\n"
            " \t ************************************************** \r\n\t\tДата:"
            "Tue Nov 14 22:13:20 2023\r\n"
            "\r\n\r\n Длительность разгона:\t0.0530\tcек."
            "\r\n Температура охлаждающей жидкости до:   90\tпосле:   91\tград.С."
            "\r\n Скорость вращения двигателя      до: 2000\tпосле: 4000\tоб./мин."
            "\r\n Скорость автомобиля              до:  20\tпосле:  80\tкм./час."
            "\r\n Путевой расход топлива           до: 50.000\tпосле: 25.000\tл./100км."
            "\r\n Массовый расход воздуха          до: 25.000\tпосле: 80.000\tкг./час."
            "\r\n Часовой расход топлива           до: 10.00\tпосле: 20.00\tл./час."
            "\r\n\r\n Ускорение оборотов двигателя:\t\t37735.8477\t(об./мин)/cек."
            "\r\n Ускорение автомобиля:\t\t\t1132.0754\t(км./час)/сек."
            " на передаче: 2."
            "\r\n Рост температура охлаждающей жидкости: 1\t\tград.С./c"
            "\r\n Файл дампа: 1700000000.dma",
            "1700000000.dma",
            "\r\n\r\n \t ******************************************************************* \r\n"
            " \t *** Результаты теста ускорения автомобиля для обработки в Exel. *** \r\n"
            " \t ******************************************************************* \r\n\t\tДата:"
            "Tue Nov 14 22:13:20 2023\r\n"
            "\r\n Температура охлаждающей жидкости\tСкорость вращения двигателя\tСкорость "
            "автомобиля\tПутевой расход топлива\tМассовый расход воздуха\tЧасовой расход "
            "топлива\tМетка времени ms.\r\n"},
        ReportCase{"Loss", savedLoss, coastingDown,
                   "\r\n\r\n \t ********************************************* \r\n"
                   " \t *** Результаты теста механических потерь. *** \r\n"
                   " \t ********************************************* \r\n\t\tДата:"
                   "Tue Nov 14 22:13:20 2023\r\n"
                   "\r\n\r\n Длительность торможения:\t0.0530\tcек."
                   "\r\n Температура охлаждающей жидкости до:   90\tпосле:   91\tград.С."
                   "\r\n Скорость вращения двигателя      до: 4800\tпосле: 2000\tоб./мин."
                   "\r\n Скорость автомобиля              до:  30\tпосле:  20\tкм./час."
                   "\r\n Путевой расход топлива           до: 10.000\tпосле: 5.000\tл./100км."
                   "\r\n Часовой расход топлива           до: 3.00\tпосле: 1.00\tл./час."
                   "\r\n\r\n Ускорение оборотов двигателя:\t\t52830.1875\t(об./мин)/cек."
                   "\r\n Ускорение автомобиля:\t\t\t188.6792\t(км./час)/cek."
                   "\r\n Файл дампа: 1700000000.dmm",
                   "1700000000.dmm",
                   "\r\n\r\n \t ********************************************************* \r\n"
                   " \t ***   Результаты теста потерь для обработки в Exel.   *** \r\n"
                   " \t ********************************************************* \r\n\t\tДата:"
                   "Tue Nov 14 22:13:20 2023\r\n"
                   "\r\n Температура охлаждающей жидкости\tСкорость вращения двигателя\tСкорость "
                   "автомобиля\tПутевой расход топлива\tМассовый расход воздуха\tЧасовой расход "
                   "топлива\tМетка времени ms.\r\n"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::console::testing
