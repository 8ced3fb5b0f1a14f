// The three readers over file bytes written by hand as the tester writes them.
#include <gtest/gtest.h>

#include <cmath>

#include "case_names.h"
#include "platform/code_pages.h"
#include "report_test_support.h"
#include "reports/measured_report.h"
#include "review/saved_file.h"

namespace ecuprobe::review {
namespace {

using ecuprobe::case_names::PrintTo;
using reports::testing::hex;
using P = ReadProblem;

constexpr std::string_view stars = " \t ***** \r\n";
constexpr std::string_view sampleRows =
    "90\t2000\t0\t0.0000\t150.0000\t15.000\t4294967000\r\n"
    "91\t5520\t12\t1.5000\t400.5000\t42.100\t704\r\n";

// A sample file's head in CP1251; the title names the test.
std::string sampleHead(std::string_view title, std::string_view date = "Mon Jan  1 10:00:00 2024") {
    return platform::utf8ToCp1251("\r\n\r\n" + std::string(stars) + " \t *** " +
                                  std::string(title) + " *** \r\n" + std::string(stars) +
                                  "\t\tДата:" + std::string(date) + "\r\n" +
                                  std::string(reports::detailColumns));
}
const std::string dynamicHead = sampleHead("Результаты динамического теста для обработки в Exel.");

struct SampleCase {
    const char* name;
    std::string bytes;
    std::optional<ReadError> error;
    std::size_t runs = 1;
};

class SampleFiles : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleFiles, ReadTheRunsOrNameTheLine) {
    ReadError error;
    const auto runs = readSampleFile(GetParam().bytes, error);
    ASSERT_EQ(runs.has_value(), !GetParam().error.has_value()) << errorText(error);
    if (GetParam().error) {
        EXPECT_EQ(error.problem, GetParam().error->problem) << errorText(error);
        EXPECT_EQ(error.line, GetParam().error->line);
        return;
    }
    ASSERT_EQ(runs->size(), GetParam().runs);
    const SampleRun& run = runs->front();
    EXPECT_EQ(run.date, "Mon Jan  1 10:00:00 2024");
    ASSERT_EQ(run.samples.size(), 2u);
    const measure::TestSample& last = run.samples[1];
    EXPECT_EQ(run.samples[0].tick, 4294967000u);
    EXPECT_EQ(std::tuple(last.twat, last.freq, last.spd, last.tick),
              std::tuple(91, 5520, 12, 704u));
    EXPECT_FLOAT_EQ(last.jqk, 1.5f);
    EXPECT_FLOAT_EQ(last.jair, 400.5f);
    EXPECT_FLOAT_EQ(last.jqt, 42.1f);
}

std::string manyRows(int count) {
    std::string rows;
    for (int i = 0; i < count; ++i) {
        rows += "90\t2000\t0\t0.0000\t150.0000\t15.000\t" + std::to_string(i) + "\r\n";
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleFiles,
    ::testing::Values(
        SampleCase{"Dynamic", dynamicHead + std::string(sampleRows), std::nullopt},
        SampleCase{"TwoTablesInOneFile",
                   dynamicHead + std::string(sampleRows) + dynamicHead + std::string(sampleRows),
                   std::nullopt, 2},
        SampleCase{"CutAfterTheHead", dynamicHead, ReadError{P::cutShort, 9}},
        SampleCase{"CutInsideARow", dynamicHead + std::string(sampleRows) + "90\t20",
                   ReadError{P::cutShort, 11}},
        SampleCase{"OneSampleOnly", dynamicHead + "90\t2000\t0\t0.0000\t150.0000\t15.000\t1\r\n",
                   ReadError{P::cutShort, 10}},
        SampleCase{"ALetterInACell", dynamicHead + "90\t2000\t0\t0.0000\t1x0.0000\t15.000\t1\r\n",
                   ReadError{P::badRow, 9}},
        SampleCase{"ACellMissing", dynamicHead + "90\t2000\t0\t0.0000\t150.0000\t15.000\r\n",
                   ReadError{P::badRow, 9}},
        SampleCase{"AnotherTitle",
                   sampleHead("Результаты чего-то другого.") + std::string(sampleRows),
                   ReadError{P::unknownKind, 4}},
        SampleCase{"ShortDate",
                   sampleHead("Результаты теста потерь для обработки в Exel.", "Mon") +
                       std::string(sampleRows),
                   ReadError{P::badDate, 6}},
        SampleCase{"NulByte", dynamicHead + std::string("90\t2000\0", 8), ReadError{P::notText, 9}},
        SampleCase{"MoreSamplesThanARunRecords", dynamicHead + manyRows(1998),
                   ReadError{P::tooManyRows, 9 + 1997}},
        SampleCase{"NotANumber", dynamicHead + "90\t2000\t0\tnan\t150.0000\t15.000\t1\r\n",
                   ReadError{P::badRow, 9}},
        SampleCase{"Infinite", dynamicHead + "90\t2000\t0\t0.0000\tinf\t15.000\t1\r\n",
                   ReadError{P::badRow, 9}},
        SampleCase{"TimeRunsBackwards",
                   dynamicHead + manyRows(2) + "90\t2000\t0\t0.0\t1.0\t1.0\t0\r\n",
                   ReadError{P::timeBackwards, 11}},
        SampleCase{"LastRowWithoutItsLineEnd",
                   dynamicHead + std::string(sampleRows).substr(0, sampleRows.size() - 3),
                   ReadError{P::cutShort, 10}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SampleFiles, TellTheTestByItsTitleWhateverTheName) {
    ReadError error;
    const auto accel =
        readSampleFile(sampleHead("Результаты теста ускорения автомобиля для обработки в Exel.") +
                           std::string(sampleRows),
                       error);
    ASSERT_TRUE(accel);
    EXPECT_EQ(accel->front().test, &console::accelerationRun);
}

// The reports of a dump in CP1251: a state report with a comment typed on two
// lines ("Комментарий" spelt as the tester spells it), then a test report.
const std::string stateHead =
    " \t *** " + hex("D1 EE F1 F2 EE FF ED E8 E5") + " *** \r\n";  // Состояние
const std::string dump =
    "\r\n\r\n\r\n" + std::string(stars) + stateHead + std::string(stars) + "\t\t" +
    hex("C4 E0 F2 E0 3A") + "Tue Feb  6 09:05:00 2024\r\n" +
    hex("CA EE EC E5 ED F2 E0 F0 E8 E9 3A 20") + hex("C3 C0 C7") + " 3110\r\n" + "2\r\n" +
    "\r\n TWAT:\t90" + "\r\n\r\n\r\n" + std::string(stars) +
    platform::utf8ToCp1251(" \t *** Результаты динамического теста. *** \r\n") +
    std::string(stars) + platform::utf8ToCp1251("\t\tДата:") + "Tue Feb  6 09:10:00 2024\r\n" +
    platform::utf8ToCp1251(
        "\r\n\r\n Длительность разгона:\t1.0000\tcек.\r\n"
        " Файл дампа: 1707210600.dmp");

TEST(TesterDump, SplitsIntoReportsWithDateCommentAndTextInUtf8) {
    ReadError error;
    const auto entries = readTesterDump(dump, error);
    ASSERT_TRUE(entries) << errorText(error);
    ASSERT_EQ(entries->size(), 2u);
    const DumpEntry& state = (*entries)[0];
    EXPECT_EQ(state.title, "Состояние");
    EXPECT_EQ(state.date, "Tue Feb  6 09:05:00 2024");
    EXPECT_EQ(state.comment, "ГАЗ 3110\n2");
    EXPECT_EQ(state.firstLine, 4);
    EXPECT_TRUE(state.text.starts_with(" \t ***** \n \t *** Состояние *** \n"));
    EXPECT_TRUE(state.text.ends_with("\n TWAT:\t90\n")) << state.text;
    const DumpEntry& run = (*entries)[1];
    EXPECT_EQ(run.title, "Результаты динамического теста.");
    EXPECT_EQ(run.comment, "");
    EXPECT_EQ(run.sampleFile, "1707210600.dmp");
    EXPECT_EQ(run.firstLine, 14);
}

// A state report and a test report as the tester ends them: the equipment list,
// the last result line and the sample file.
const std::string wholeDump = platform::utf8ToCp1251(
    "\r\n\r\n\r\n \t ******************************************* \r\n"
    " \t *** Состояние внутренних переменых ЭБУ. *** \r\n"
    " \t ******************************************* \r\n\t\tДата:Tue Feb  6 09:05:00 2024\r\n"
    "\r\n Температура охлаждающей жидкости(TWAT):\t\t90\tград. С."
    "\r\n\r\nНеисправности :\t\r\n 013:20: низкий уровень = многократн.. \r\n"
    "\r\nТип блока управления:Микас 5.4"
    "\r\n Дата выпуска блока:\t17.03.2005\t\t Калибровки ADC:\t\t1"
    "\r\n\r\nКомплектация: постоянное питание блока, \r\nL-зонд, "
    "\r\n\r\n \t ******************************************* \r\n"
    " \t ***   Результаты динамического теста.   *** \r\n"
    " \t ******************************************* \r\n\t\tДата:Tue Feb  6 09:10:00 2024\r\n"
    "\r\n\r\n Длительность разгона:\t1.0000\tcек."
    "\r\n Рост температура охлаждающей жидкости: 2\t\tград.С./c"
    "\r\n Файл дампа: 1707210600.dmp");

// The dump up to the end of `text` (in UTF-8), and then what follows.
std::string cutAfter(const std::string& text, const std::string& rest = {}) {
    const std::string at = platform::utf8ToCp1251(text);
    return wholeDump.substr(0, wholeDump.find(at) + at.size()) + rest;
}

struct CutCase {
    const char* name;
    std::string bytes;
    int line;  // where the report breaks off; 0: it is read whole
};

class CutDumps : public ::testing::TestWithParam<CutCase> {};

// A report that ends anywhere but where the tester ends reports was cut short;
// only a cut between two equipment items cannot be told from a whole report.
TEST_P(CutDumps, AreRefusedWhereTheReportBreaksOff) {
    ReadError error;
    const auto entries = readTesterDump(GetParam().bytes, error);
    ASSERT_EQ(entries.has_value(), GetParam().line == 0) << errorText(error);
    if (GetParam().line != 0) {
        EXPECT_EQ(error.problem, P::cutShort);
        EXPECT_EQ(error.line, GetParam().line);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutDumps,
    ::testing::Values(
        CutCase{"Whole", wholeDump, 0}, CutCase{"InsideAValue", cutAfter("(TWAT):\t\t9"), 9},
        CutCase{"AfterAValueLine", cutAfter("град. С."), 9},
        CutCase{"InsideTheFaultList", cutAfter("013:20: низ"), 12},
        CutCase{"AfterTheFaultList", cutAfter("многократн.. \r\n"), 12},
        CutCase{"InsideTheIdentity", cutAfter("17.03.2"), 15},
        CutCase{"FollowedByTheNextReport",
                cutAfter("17.03.2", wholeDump.substr(wholeDump.find("\r\n\r\n \t ***", 200))), 15},
        CutCase{"InsideAnEquipmentItem", cutAfter("L-зо"), 18},
        CutCase{"BetweenEquipmentItems", cutAfter("питание блока, "), 0},
        CutCase{"AfterTheFirstResult", cutAfter("cек."), 26},
        CutCase{"InsideTheSampleFileName", cutAfter("Файл дампа: 17072"), 28},
        CutCase{"BeforeTheSampleFileName", cutAfter("град.С./c"), 0}),
    [](const auto& param) { return std::string(param.param.name); });

struct DumpCase {
    const char* name;
    std::string bytes;
    ReadError error;
};

class DamagedDumps : public ::testing::TestWithParam<DumpCase> {};

TEST_P(DamagedDumps, NameTheLine) {
    ReadError error;
    EXPECT_FALSE(readTesterDump(GetParam().bytes, error));
    EXPECT_EQ(error.problem, GetParam().error.problem) << errorText(error);
    EXPECT_EQ(error.line, GetParam().error.line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedDumps,
    ::testing::Values(
        DumpCase{"TextBeforeTheFirstReport", "notes\r\n" + dump, {P::unknownKind, 1}},
        DumpCase{"Empty", "", {P::unknownKind, 1}},
        DumpCase{"CutInsideTheTitle", dump.substr(0, 30), {P::cutShort, 5}},
        DumpCase{"ASampleFile", dynamicHead + std::string(sampleRows), {P::unknownKind, 4}},
        DumpCase{"NoDate",
                 std::string(stars) + stateHead + std::string(stars) + "x\r\n",
                 {P::badHeader, 4}}),
    [](const auto& param) { return std::string(param.param.name); });

constexpr std::string_view driveLog =
    "Time\tTWAT\tTHR\n"
    "s\t°C\t%\n"
    "0.000\t90\t0\n"
    "0.600\t91\t\n";

struct LogCase {
    const char* name;
    std::string bytes;
    std::optional<ReadError> error;
};

class DriveLogs : public ::testing::TestWithParam<LogCase> {};

TEST_P(DriveLogs, ReadTheColumnsOrNameTheLine) {
    ReadError error;
    const auto log = readDriveLog(GetParam().bytes, error);
    ASSERT_EQ(log.has_value(), !GetParam().error.has_value()) << errorText(error);
    if (GetParam().error) {
        EXPECT_EQ(error.problem, GetParam().error->problem) << errorText(error);
        EXPECT_EQ(error.line, GetParam().error->line);
        return;
    }
    EXPECT_EQ(log->names, (std::vector<std::string>{"TWAT", "THR"}));
    EXPECT_EQ(log->units, (std::vector<std::string>{"°C", "%"}));
    EXPECT_EQ(log->time, (std::vector<double>{0.0, 0.6}));
    EXPECT_EQ(log->columns[0], (std::vector<double>{90, 91}));
    EXPECT_TRUE(std::isnan(log->columns[1][1]));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriveLogs,
    ::testing::Values(
        LogCase{"AsWritten", std::string(driveLog), std::nullopt},
        LogCase{"WithCrLf", "Time\tTWAT\tTHR\r\ns\t°C\t%\r\n0.000\t90\t0\r\n0.600\t91\t\r\n",
                std::nullopt},
        LogCase{"UnitsMissing", "Time\tTWAT\tTHR\ns\t°C\n", ReadError{P::badColumns, 2}},
        LogCase{"CutAfterTheNames", "Time\tTWAT\tTHR\n", ReadError{P::cutShort, 2}},
        LogCase{"CutInsideARow", std::string(driveLog) + "1.2\t9", ReadError{P::cutShort, 5}},
        LogCase{"ACellThatIsNoNumber", std::string(driveLog) + "1.2\t9o\t1\n",
                ReadError{P::badRow, 5}},
        LogCase{"NoTime", std::string(driveLog) + "\t90\t1\n", ReadError{P::badRow, 5}},
        LogCase{"NotALog", "TWAT\tTHR\n", ReadError{P::unknownKind, 1}},
        LogCase{"TimeRunsBackwards", std::string(driveLog) + "0.300\t90\t1\n",
                ReadError{P::timeBackwards, 5}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SavedFiles, AreToldApartByTheirFirstLines) {
    ReadError error;
    for (const auto& [bytes, index] : {std::pair{dynamicHead + std::string(sampleRows), 0},
                                       std::pair{std::string(driveLog), 1}, std::pair{dump, 2}}) {
        const auto content = readSaved(bytes, error);
        ASSERT_TRUE(content) << errorText(error);
        EXPECT_EQ(content->index(), static_cast<std::size_t>(index));
    }
}

TEST(SavedFiles, ReadFromDiskOnlyAndRefuseWhatIsNoFile) {
    reports::testing::ScratchFolder scratch;
    const std::string path = (scratch.path / "1.dmp").string();
    std::ofstream(path, std::ios::binary) << dynamicHead << sampleRows;
    const auto before = std::filesystem::last_write_time(path);
    ReadError error;
    EXPECT_TRUE(readSavedFile(path, error));
    EXPECT_EQ(std::filesystem::last_write_time(path), before);
    EXPECT_EQ(reports::testing::fileBytes(path), dynamicHead + std::string(sampleRows));
    EXPECT_FALSE(readSavedFile(scratch.path.string(), error));
    EXPECT_EQ(error.problem, P::cannotOpen);
}

}  // namespace
}  // namespace ecuprobe::review
