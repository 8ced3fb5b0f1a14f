// What the tester dump beside a saved run says of it: the comment of its report
// and the ECU and car identity of the state report in the same dump.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/code_pages.h"
#include "report_test_support.h"
#include "review/run_notes.h"
#include "review/saved_file.h"

namespace ecuprobe::review {
namespace {

// A report's head as the tester writes it, in UTF-8 (CP1251 on disk).
std::string head(std::string_view title, std::string_view comment) {
    std::string text = "\r\n\r\n \t ***** \r\n \t *** " + std::string(title) +
                       " *** \r\n \t ***** \r\n\t\tДата:Mon Jan  1 10:00:00 2024\r\n";
    if (!comment.empty()) {
        text += "Коментарий: " + std::string(comment) + "\r\n";
    }
    return text;
}

// The identification block of a state report; the engine number was not given.
const std::string stateReport =
    head("Состояние внутренних переменых ЭБУ.", "") +
    "\r\n Температура охлаждающей жидкости(TWAT):\t\t90\tград. С.\r\n\r\nНеисправности :\t \r\n"
    "\r\nТип блока управления:Микас 5.4"
    "\r\n Паспрот программы\t:М54-1.12\t\t Паспрот данных:\tГАЗ-3110"
    "\r\n Модификация блока:\t3110-1411020-20\t\t Серийный номер блока:\t0104527"
    "\r\n Номер двигателя:\t\t\t\t Номер кузова:\t\tXTH311000Y012345"
    "\r\n\r\nКомплектация: \r\nдатчик скорости, ";

std::string testReport(std::string_view comment, std::string_view sampleFile) {
    return head("Результаты динамического теста.", comment) +
           "\r\n\r\n Длительность разгона:\t0.9110\tcек.\r\n Файл дампа: " +
           std::string(sampleFile);
}

std::vector<DumpEntry> entriesOf(const std::string& utf8) {
    ReadError error;
    auto entries = readTesterDump(platform::utf8ToCp1251(utf8 + "\r\n"), error);
    EXPECT_TRUE(entries) << errorText(error);
    return entries.value_or(std::vector<DumpEntry>{});
}

TEST(RunNotes, TakeTheRunsCommentAndTheIdentityOfTheNearestStateReport) {
    const auto entries = entriesOf(testReport("до ремонта", "100.dmp") + stateReport +
                                   testReport("после ремонта", "200.dmp"));
    const RunNotes before = notesFromDump(entries, "100.dmp");
    EXPECT_EQ(before.comment, "до ремонта");
    EXPECT_EQ(before.identity.size(), 7u) << "the state report after it, none before";

    const RunNotes after = notesFromDump(entries, "200.dmp");
    EXPECT_EQ(after.comment, "после ремонта");
    const std::vector<std::string> identity{
        "Тип блока управления: Микас 5.4", "Паспрот программы: М54-1.12",
        "Паспрот данных: ГАЗ-3110",        "Модификация блока: 3110-1411020-20",
        "Серийный номер блока: 0104527",   "Номер двигателя: ",
        "Номер кузова: XTH311000Y012345"};
    EXPECT_EQ(std::vector<std::string>(after.identity.begin(), after.identity.end()), identity);

    const RunNotes unnamed = notesFromDump(entries, "300.dmp");
    EXPECT_TRUE(unnamed.comment.empty());
    EXPECT_TRUE(unnamed.identity.empty());
}

TEST(RunNotes, AreFoundInTheDumpBesideTheRunAndOnlyRead) {
    reports::testing::ScratchFolder scratch;
    const std::string dumpBytes = platform::utf8ToCp1251(
        stateReport + testReport("ГАЗ-3110, свечи заменены", "1700000000.dmp") + "\r\n");
    std::ofstream(scratch.path / "car.tdm", std::ios::binary) << dumpBytes;
    std::ofstream(scratch.path / "notes.txt", std::ios::binary) << "not a dump";
    std::ofstream(scratch.path / "broken.tdm", std::ios::binary) << "\x01\x02";

    const RunNotes notes = notesBeside((scratch.path / "1700000000.dmp").string());
    EXPECT_EQ(notes.comment, "ГАЗ-3110, свечи заменены");
    ASSERT_FALSE(notes.identity.empty());
    EXPECT_EQ(notes.identity.front(), "Тип блока управления: Микас 5.4");
    EXPECT_TRUE(notesBeside((scratch.path / "1700000001.dmp").string()).comment.empty());

    std::ifstream kept(scratch.path / "car.tdm", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), dumpBytes);
}

}  // namespace
}  // namespace ecuprobe::review
