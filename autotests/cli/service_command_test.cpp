// Identification, control parameters, adaptation resets and the monitor's
// services from the command line, against the simulator.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;

std::string rcokLine(const std::string& value) {
    return "Коэф. коррекции CO (RCOK):         " + value + "\n";
}

TEST(IdentCommand, ShowsThePassportsAndEndsWithTwoWithoutThem) {
    const ChildResult shown = runChild(cliPath, {"--simulate", "ident"});
    ASSERT_EQ(shown.exitStatus, 0) << shown.err;
    EXPECT_TRUE(contains(shown.out, "Блок Управления (ЭБУ):   Микас 5.4\n")) << shown.out;
    EXPECT_TRUE(contains(shown.out,
                         "Паспорт программы ЭБУ:   МИКАС 5.4 ЗМЗ406\n"
                         "                         Прогр. М54-1.12\n"))
        << shown.out;
    EXPECT_TRUE(contains(shown.out, "Комплектация:\n  постоянное питание блока,\n"));
    EXPECT_TRUE(contains(shown.out, "  датчик скорости,\n"));

    const ChildResult withoutSpeedSensor =
        runChild(cliPath, {"--simulate", "--sim-equipment", "1F00C101B301", "ident"});
    EXPECT_FALSE(contains(withoutSpeedSensor.out, "датчик скорости")) << withoutSpeedSensor.out;

    const ChildResult none = runChild(cliPath, {"--simulate", "--sim-fault", "noident", "ident"});
    EXPECT_EQ(none.exitStatus, 2);
    EXPECT_TRUE(contains(none.err, "the ECU gave no passport block")) << none.err;
    EXPECT_EQ(none.out, "");
}

TEST(ParamsCommand, IdleSpeedIsSentAsOneOkAndTheNextReadShowsIt) {
    const std::string trace = freshTracePath("params_idle");
    const ChildResult run =
        runChild(cliPath, {"--simulate", "--trace", trace, "params", "--idle-speed", "900"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Обороты ХХ:                        900\n")) << run.out;
    const std::vector<std::string> frames = writtenFrames(trace);
    // 0x40 goes out escaped as 0x40 0x00.
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "62 0B 40 00 2E 5A CB 0D"), 1);
    EXPECT_EQ(lastSixWrites(frames), releaseFrames);
}

TEST(ParamsCommand, ARefusedSetEndsWithThreeAndItsText) {
    const ChildResult run = runChild(
        cliPath, {"--simulate", "--sim-fault", "refuse:once,cmd=0x62", "params", "--egr", "30"});
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: Ош. уст. JEGR.\n")) << run.err;
}

// ecu-sim on its own, so that it can be switched off and on between two commands.
class StoredParameter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sim.line().rfind("READY ", 0), 0u); }

    ChildResult params(Args args) {
        args.insert(args.begin(), {"--port", link, "params"});
        return runChild(cliPath, args);
    }

    const std::string link = ::testing::TempDir() + "ecuprobe_stored_parameter";
    ecuprobe::testing::EcuSimProcess sim{ECU_SIM_PATH, {"--link", link}};
};

TEST_F(StoredParameter, SurvivesARestartWhileAnOverrideDoesNotOutliveItsCommand) {
    const ChildResult stored = params({"--rcok", "-0.25", "--store"});
    ASSERT_EQ(stored.exitStatus, 0) << stored.err;
    EXPECT_TRUE(contains(stored.out, rcokLine("-0.25"))) << stored.out;
    EXPECT_TRUE(contains(stored.err,
                         "Сохранить в долговременную память Коэффициент коррекции "
                         "топливоподачи (RCOK)? Да\n"))
        << stored.err;

    const ChildResult overridden = params({"--rcok", "-0.125"});
    ASSERT_EQ(overridden.exitStatus, 0) << overridden.err;
    EXPECT_TRUE(contains(overridden.out, rcokLine("-0.125"))) << overridden.out;

    sim.say("restart");
    EXPECT_EQ(sim.line(), "ok");
    const ChildResult after = params({});
    ASSERT_EQ(after.exitStatus, 0) << after.err;
    EXPECT_TRUE(contains(after.out, rcokLine("-0.25"))) << after.out;
}

TEST(ResetAdaptationCommand, ARefusingEcuEndsWithThreeAndTheFailureText) {
    const ChildResult run = runChild(cliPath, {"--simulate", "--sim-fault", "refuse:once,cmd=0x62",
                                               "reset-adaptation", "knock", "--yes"});
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_TRUE(contains(run.err, "ecuprobe-cli: Ош.очист.датч.детон.\n")) << run.err;
}

TEST(ResetAdaptationCommand, WithoutATerminalItNeedsYesAndSendsNothing) {
    const std::string trace = freshTracePath("reset_no_terminal");
    const ChildResult refused =
        runChild(cliPath, {"--simulate", "--trace", trace, "reset-adaptation", "lambda"});
    EXPECT_EQ(refused.exitStatus, 64);
    EXPECT_TRUE(contains(refused.err, "without a terminal give --yes")) << refused.err;
    EXPECT_TRUE(writtenFrames(trace).empty());

    const ChildResult cleared =
        runChild(cliPath, {"--simulate", "--trace", trace, "reset-adaptation", "lambda", "--yes"});
    EXPECT_EQ(cleared.exitStatus, 0) << cleared.err;
    const std::vector<std::string> frames = writtenFrames(trace);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "62 0E 10 80 0D"), 1);
}

// The monitor's services run in a folder of their own: a test writes its detail
// file into the current folder.
class MonitorServices : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    ChildResult monitor(const std::string& scenario, const std::vector<ChildStep>& steps) {
        return runChild("/bin/bash",
                        {"-c", "cd " + folder.string() + " && exec " + cliPath + " --simulate " +
                                   scenario + " monitor --period 0"},
                        steps, 60000);
    }

    std::string dump() const {
        std::ifstream in(folder / "car.tdm", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("ecuprobe_monitor_services_" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
};

TEST_F(MonitorServices, SetStoreReportAndADynamicTestInOneSession) {
    const ChildResult run =
        monitor("runup", {{1500, "set idle 900"},
                          {1500, "store uoz"},
                          {2500, "да"},
                          {1000, "report --dump car.tdm --comment 'до ремонта'"},
                          {500, "test dynamic --comment тест"},
                          {500, "quit"},
                          {40000, ""}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char* said :
         {"> Обороты ХХ: 900\n",
          "> Сохранение в долговременную память. Сохранить в долговременную память поправку "
          "угла опережения зажигания? [Да/нет]\n",
          "> stored: Поправка УОЗ: 0\n", "> Запись: дописано в car.tdm\n",
          "> Время разгона(сек.): ", "Отчёт: дописано в car.tdm\n", "> quit\n"}) {
        EXPECT_TRUE(contains(run.out, said)) << said << "\n" << run.out;
    }
    const std::string written = dump();
    // CP1251: "Состояние внутренних переменых ЭБУ.", "Коментарий: до ремонта",
    // "Результаты динамического теста." and "Коментарий: тест".
    EXPECT_TRUE(contains(written, "\xD1\xEE\xF1\xF2\xEE\xFF\xED\xE8\xE5"));
    EXPECT_TRUE(contains(written, ": \xE4\xEE \xF0\xE5\xEC\xEE\xED\xF2\xE0\r\n"));
    EXPECT_TRUE(contains(written, "\xD0\xE5\xE7\xF3\xEB\xFC\xF2\xE0\xF2\xFB"));
    EXPECT_TRUE(contains(written, ": \xF2\xE5\xF1\xF2\r\n"));
    EXPECT_TRUE(contains(run.out, "Управление возвращено ЭБУ, порт закрыт.\n"));
}

TEST_F(MonitorServices, CtrlCStopsATestRunButNotTheMonitor) {
    const ChildResult run = monitor(
        "idle", {{1500, "test dynamic --dump car.tdm"}, {3000, "", SIGINT}, {2000, "quit"}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "> test stopped: nothing written\n")) << run.out;
    EXPECT_TRUE(contains(run.out, "> quit\n"));
    EXPECT_FALSE(std::filesystem::exists(folder / "car.tdm"));
}

}  // namespace
}  // namespace ecuprobe::cli
