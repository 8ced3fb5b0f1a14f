#include "reports/measured_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "case_names.h"
#include "platform/clock.h"
#include "report_test_support.h"
#include "scripted_prompts.h"

namespace ecuprobe::reports {
namespace {

using ecuprobe::case_names::PrintTo;

using testing::fileBytes;
using testing::hex;

// A title with a Cyrillic word, so that the CP1251 of the file shows.
const TitleLines title{"\r\n *** ", "Тест", " ***\r\n\t\tДата:"};
const TitleLines detailTitle{"\r\n D1\r\n", " D2\r\n", " D3\t\tДата:"};

class Report : public testing::InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        currentDumpPath.clear();
    }
    void TearDown() override {
        currentDumpPath.clear();
        InScratchFolder::TearDown();
    }

    // One report with the samples given, as a test writes it after its run.
    ReportOutcome save(const std::vector<measure::TestSample>& samples) {
        ReportOutcome outcome = ReportOutcome::saved;
        std::unique_ptr<ReportFile> file = report.openReport(outcome);
        if (!file) {
            return outcome;
        }
        report.writeReportHeader(*file, title);
        file->write("\r\n body");
        return report.writeDetailFile(std::move(file), ".dmp", detailTitle, samples);
    }

    platform::FakeClock clock{0, 1700000000};
    ecuprobe::testing::ScriptedPrompts prompts;
    TestReport report{prompts, clock};
};

// "\r\n *** " "Тест" " ***\r\n\t\tДата:" then the date line.
const std::string head = "\r\n *** " + hex("D2 E5 F1 F2") + " ***\r\n\t\t" + hex("C4 E0 F2 E0") +
                         ":Tue Nov 14 22:13:20 2023\r\n";

TEST_F(Report, HeadWithCommentBodyAndDetailNameInCp1251) {
    prompts.savePaths = {folder.string() + "/car.tdm"};
    prompts.comments = {"Волга\nх.х."};
    ASSERT_EQ(save({}), ReportOutcome::saved);
    const std::string expected = head + hex("CA EE EC E5 ED F2 E0 F0 E8 E9") + ": " +
                                 hex("C2 EE EB E3 E0") + "\r\n" + hex("F5") + "." + hex("F5") +
                                 ".\r\n" + "\r\n body" + "\r\n " + hex("D4 E0 E9 EB") + " " +
                                 hex("E4 E0 EC EF E0") + ": 1700000000.dmp";
    EXPECT_EQ(fileBytes(folder / "car.tdm"), expected);
    EXPECT_EQ(prompts.saveRequests.at(0).proposedName, "ZORAFIL");
    EXPECT_EQ(prompts.saveRequests.at(0).defaultExtension, "tdm");
    EXPECT_EQ(prompts.saveRequests.at(0).filter,
              "Файлы дампов тестера ISO14230 (*.tdm)|*.tdm|Все файлы (*.*)|*.*||");
}

TEST_F(Report, WithoutCommentTheDateLineIsFollowedByTheBody) {
    currentDumpPath = (folder / "a.tdm").string();
    prompts.comments = {""};
    ASSERT_EQ(save({}), ReportOutcome::saved);
    EXPECT_EQ(fileBytes(folder / "a.tdm").substr(0, head.size() + 7), head + "\r\n body");
    EXPECT_TRUE(prompts.saveRequests.empty());
}

TEST_F(Report, DetailFileHasItsTitleDateColumnsAndOneLinePerFilledSample) {
    currentDumpPath = (folder / "a.tdm").string();
    measure::TestSample first{1, 2040, 12, 90, 10.0f, 0.0078125f, 25.5f, 123456};
    measure::TestSample second{1, 5000, 40, -5, 0.1f, 0.0f, 0.0f, 4294967295u};
    measure::TestSample unfilled{0, 1, 1, 1, 1, 1, 1, 1};
    ASSERT_EQ(save({first, second, unfilled, first}), ReportOutcome::saved);
    const std::string columns = "\r\n " + hex("D2 E5 EC EF E5 F0 E0 F2 F3 F0 E0") + " " +
                                hex("EE F5 EB E0 E6 E4 E0 FE F9 E5 E9") + " " +
                                hex("E6 E8 E4 EA EE F1 F2 E8");
    const std::string bytes = fileBytes(folder / "1700000000.dmp");
    const std::string detailHead =
        "\r\n D1\r\n D2\r\n D3\t\t" + hex("C4 E0 F2 E0") + ":Tue Nov 14 22:13:20 2023\r\n";
    EXPECT_EQ(bytes.substr(0, detailHead.size()), detailHead);
    EXPECT_NE(bytes.find(columns), std::string::npos);
    EXPECT_NE(bytes.find(" ms.\r\n90\t2040\t12\t0.0078\t25.5000\t10.000\t123456\r\n"
                         "-5\t5000\t40\t0.0000\t0.0000\t0.100\t4294967295\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.find("\t1\t1\t"), std::string::npos)
        << "nothing after the first unfilled entry";
}

struct SampleFileCase {
    const char* name;
    // Prepares the current folder; the dump file is ../<test>.tdm.
    void (*prepare)(const std::filesystem::path& here);
    ReportOutcome outcome;
    const char* named;  // the sample file the report names, none when nullptr
    std::size_t messages;
};

void folderGone(const std::filesystem::path& here);

class SampleFile : public Report, public ::testing::WithParamInterface<SampleFileCase> {};

// The report names a sample file only once it is written whole, and never one
// that another run of the same second wrote.
TEST_P(SampleFile, IsNamedInTheReportOnlyOnceWrittenAndNeverShared) {
#ifdef _WIN32
    if (GetParam().prepare == folderGone) {
        GTEST_SKIP() << "Windows keeps a process's current folder from being removed";
    }
#endif
    const std::filesystem::path here = folder / "here";
    std::filesystem::create_directory(here);
    std::filesystem::current_path(here);
    currentDumpPath = (folder / "car.tdm").string();
    GetParam().prepare(here);
    const measure::TestSample sample{1, 800, 0, 90, 1.0f, 0.0f, 10.0f, 5};
    EXPECT_EQ(save({sample}), GetParam().outcome);
    const std::string dump = fileBytes(folder / "car.tdm");
    const std::string named =
        GetParam().named == nullptr
            ? std::string()
            : "\r\n " + hex("D4 E0 E9 EB") + " " + hex("E4 E0 EC EF E0") + ": " + GetParam().named;
    EXPECT_TRUE(dump.ends_with("\r\n body" + named)) << dump;
    if (GetParam().named != nullptr) {
        EXPECT_NE(fileBytes(here / GetParam().named).find("90\t800\t0\t"), std::string::npos);
    }
    ASSERT_EQ(prompts.messages.size(), GetParam().messages);
    if (GetParam().messages > 0) {
        EXPECT_EQ(prompts.messages[0].text, "Не возможно открыть файл дампа.");
    }
    std::filesystem::current_path(folder);
}

void nothing(const std::filesystem::path&) {}

// Another run saved in this very second.
void secondTaken(const std::filesystem::path& here) {
    std::ofstream(here / "1700000000.dmp") << "another run";
}

void twoSecondsTaken(const std::filesystem::path& here) {
    secondTaken(here);
    std::filesystem::create_directory(here / "1700000001.dmp");
}

// The folder went (a pulled stick): nothing can be created in it.
void folderGone(const std::filesystem::path& here) {
    std::filesystem::remove_all(here);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SampleFile,
    ::testing::Values(
        SampleFileCase{"Free", nothing, ReportOutcome::saved, "1700000000.dmp", 0},
        SampleFileCase{"SecondTaken", secondTaken, ReportOutcome::saved, "1700000001.dmp", 0},
        SampleFileCase{"TwoTaken", twoSecondsTaken, ReportOutcome::saved, "1700000002.dmp", 0},
        SampleFileCase{"FolderGone", folderGone, ReportOutcome::detailFailed, nullptr, 1}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Report, TwoRunsInOneSecondWriteTwoSampleFilesAndLeaveTheOtherAsItWas) {
    currentDumpPath = (folder / "a.tdm").string();
    const measure::TestSample sample{1, 800, 0, 90, 1.0f, 0.0f, 10.0f, 5};
    ASSERT_EQ(save({sample}), ReportOutcome::saved);
    const std::string first = fileBytes(folder / "1700000000.dmp");
    ASSERT_EQ(save({sample}), ReportOutcome::saved);
    EXPECT_EQ(fileBytes(folder / "1700000000.dmp"), first);
    EXPECT_EQ(fileBytes(folder / "1700000001.dmp"), first);
    EXPECT_TRUE(fileBytes(folder / "a.tdm").ends_with(": 1700000001.dmp"));
}

TEST_F(Report, ACancelledSaveAsWritesNothingAndAsksAgainNextTime) {
    prompts.savePaths = {std::nullopt, (folder / "b.tdm").string()};
    EXPECT_EQ(save({}), ReportOutcome::cancelled);
    EXPECT_EQ(currentDumpPath, "");
    EXPECT_FALSE(std::filesystem::exists(folder / "ZORAFIL"));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_EQ(save({}), ReportOutcome::saved);
    EXPECT_EQ(prompts.saveRequests.size(), 2u);
    EXPECT_TRUE(prompts.messages.empty());
}

struct FailureCase {
    const char* name;
    const char* dumpPath;
    ReportOutcome outcome;
    // Null where the systems differ: Windows calls a folder a refused access.
    const char* cause;
};

class ReportFailure : public Report, public ::testing::WithParamInterface<FailureCase> {};

// A file that cannot be written completely shows the message and is never saved;
// the next report asks for a file rather than fail on the same one.
TEST_P(ReportFailure, ShowsTheMessageAndIsNotSavedAndTheNextAsksAgain) {
    currentDumpPath = GetParam().dumpPath;
    std::filesystem::create_directory(folder / "folder.tdm");
    EXPECT_EQ(save({}), GetParam().outcome);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Ошибка исполнения");
    EXPECT_EQ(prompts.messages[0].text, "Не возможно открыть файл.\n" + lastReportProblem);
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::error);
    EXPECT_FALSE(std::filesystem::exists(folder / "1700000000.dmp"));
    const std::string named = std::string(GetParam().dumpPath) + ": ";
    EXPECT_TRUE(lastReportProblem.starts_with(named)) << lastReportProblem;
    if (GetParam().cause != nullptr) {
        EXPECT_EQ(lastReportProblem, named + GetParam().cause);
    }
    EXPECT_EQ(currentDumpPath, "");
    prompts.savePaths = {(folder / "b.tdm").string()};
    EXPECT_EQ(save({}), ReportOutcome::saved);
    EXPECT_EQ(prompts.saveRequests.size(), 1u);
    EXPECT_EQ(lastReportProblem, "");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReportFailure,
    ::testing::Values(FailureCase{"AFolder", "folder.tdm", ReportOutcome::reportFailed, nullptr},
                      FailureCase{"NoSuchFolder", "/nonexistent/x.tdm", ReportOutcome::reportFailed,
                                  "нет такой папки"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace ecuprobe::reports
