#include "console/drive_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "console/drive_log_recorder.h"
#include "report_test_support.h"

namespace ecuprobe::console {
namespace {

const std::string names =
    "Time\tTWAT\tTAIR\tVALF\tTHR\tFREQ\tFREQXX\tFSM\tCOEFF1\tCOEFF2\tUOZ\tUOZOC\tSPD\tNUACC\t"
    "INJ\tJAIR\tJQT\tJQK\tJEGR\tJADS\tRCOK\tRCOD\tSSM\tUGB\tFAZ\tJDMM\tLAM1\tLAM2\tPABS\tBDET\t"
    "BITSTP\tRXX\tBLKINJ\tBITPOW\tWRKLAM\tRDET\tADSORBER\tBITATM\tTKFWR1\tTKFWR2\tINPLAM1\t"
    "INPLAM2\tDET\tCHECKEIGINE\tfanOn\tairConditionerOn\tfuelPumpOn\tcoil14On\tcoil23On\n";
const std::string units =
    "s\t°C\t°C\t\t%\tоб/мин\tоб/мин\tшаг\t\t\t°\t°\tкм/ч\tВ\tмс\tкг/ч\tл/ч\tл/100км\t%\t%\t\t\t"
    "шаг\tкг/ч\t°\tшаг\tмВ\tмВ\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\n";
const std::string head = names + units;

// The values after Time of a read at idle: coolant -5 °C, 850 rpm, injection
// 2.5 ms, air/fuel 14.7, pump and both coils on, everything else 0.
const std::string idleValues =
    "\t-5\t0\t14.7\t0\t850\t0\t0\t0\t0\t0\t0\t0\t0\t2.5\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t"
    "0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1\t1\t1\n";

ecu::LiveData idle() {
    ecu::LiveData data;
    data.TWAT = -5;
    data.FREQ = 850;
    data.INJ = 2.5f;
    data.VALF = 14.7f;
    return data;
}

TEST(DriveLog, NamesUnitsAndTimedRowsInTheLayoutLogViewersRead) {
    platform::FakeClock clock(4'294'967'000u);  // the tick count wraps during the drive
    std::ostringstream file;
    DriveLog log(file, clock);
    log.start();
    EXPECT_EQ(file.str(), head);
    log.add(idle());
    clock.advance(150);
    log.add(idle());
    clock.advance(1084);
    log.add(idle());
    EXPECT_TRUE(log.finish());
    EXPECT_EQ(file.str(),
              head + "0.000" + idleValues + "0.150" + idleValues + "1.234" + idleValues);
    EXPECT_EQ(log.rowCount(), 3u);
}

TEST(DriveLog, RowsReachTheFileWithinASecondAndAllOfThemAtTheEnd) {
    platform::FakeClock clock(500);
    std::ostringstream file;
    DriveLog log(file, clock);
    log.start();
    log.add(idle());
    clock.advance(600);
    log.add(idle());
    log.flushIfDue();
    EXPECT_EQ(file.str(), head) << "kept back for less than a second";
    clock.advance(400);
    log.flushIfDue();
    EXPECT_EQ(file.str(), head + "0.000" + idleValues + "0.600" + idleValues);
    clock.advance(999);
    log.add(idle());
    EXPECT_EQ(file.str(), head + "0.000" + idleValues + "0.600" + idleValues);
    clock.advance(1);
    log.flushIfDue();
    EXPECT_EQ(file.str(),
              head + "0.000" + idleValues + "0.600" + idleValues + "1.999" + idleValues);
    clock.advance(10);
    log.add(idle());
    EXPECT_TRUE(log.finish());
    EXPECT_EQ(file.str(), head + "0.000" + idleValues + "0.600" + idleValues + "1.999" +
                              idleValues + "2.010" + idleValues);
}

TEST(DriveLog, AFileThatCannotBeWrittenIsToldNotHidden) {
    platform::FakeClock clock;
    std::ostream nowhere(nullptr);
    DriveLog log(nowhere, clock);
    log.start();
    log.add(idle());
    EXPECT_TRUE(log.failed());
    EXPECT_FALSE(log.finish());
}

std::vector<std::string> linesOf(const std::filesystem::path& path) {
    std::istringstream in(reports::testing::fileBytes(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(DriveLogRecorder, WritesARowPerLiveReadAndOutWithinASecond) {
    const reports::testing::ScratchFolder scratch;
    const std::string path = (scratch.path / "drive.msl").string();
    platform::FakeClock clock(5000);
    DriveLogRecorder recorder;
    ASSERT_TRUE(recorder.start(path, clock, 7));
    EXPECT_EQ(linesOf(path).size(), 2u);
    ecu::LiveData live;
    live.FREQ = 840;
    EXPECT_TRUE(recorder.afterPoll(7, live));
    clock.advance(700);
    EXPECT_TRUE(recorder.afterPoll(8, live));
    EXPECT_EQ(recorder.rows(), 1u);
    EXPECT_EQ(linesOf(path).size(), 2u);
    clock.advance(300);
    EXPECT_TRUE(recorder.afterPoll(8, live));
    const std::vector<std::string> written = linesOf(path);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_TRUE(written[2].starts_with("0.700\t")) << written[2];
    EXPECT_EQ(std::count(written[2].begin(), written[2].end(), '\t'),
              std::count(written[0].begin(), written[0].end(), '\t'));
    EXPECT_TRUE(recorder.stop());
    EXPECT_FALSE(recorder.running());
    EXPECT_EQ(recorder.rows(), 1u);
    EXPECT_EQ(recorder.path(), path);
}

TEST(DriveLogRecorder, ThatCannotBeWrittenDoesNotStart) {
    const reports::testing::ScratchFolder scratch;
    platform::FakeClock clock;
    DriveLogRecorder recorder;
    EXPECT_FALSE(recorder.start((scratch.path / "missing" / "drive.msl").string(), clock, 0));
    EXPECT_FALSE(recorder.running());
    EXPECT_TRUE(recorder.afterPoll(1, ecu::LiveData{}));
}

TEST(DriveLogRecorder, StateLineNamesTheFileTheRowsAndWhyItPauses) {
    struct Case {
        bool testRunning;
        bool answering;
        const char* expected;
    };
    const Case cases[] = {
        {false, true, "Лог: drive.msl, строк: 42"},
        {false, false, "Лог на паузе (нет связи с ЭБУ): drive.msl, строк: 42"},
        {true, true, "Лог на паузе (идёт тест): drive.msl, строк: 42"},
        {true, false, "Лог на паузе (идёт тест): drive.msl, строк: 42"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(driveLogStateText("/home/gaz/logs/drive.msl", 42,
                                    driveLogPause(c.testRunning, c.answering)),
                  c.expected);
    }
    EXPECT_EQ(driveLogStateText("C:\\logs\\drive.msl", 0, DriveLogPause::none),
              "Лог: drive.msl, строк: 0");
    EXPECT_EQ(driveLogStateText("", 7, DriveLogPause::linkDown), "");
}

}  // namespace
}  // namespace ecuprobe::console
