// `show` over files written by hand: what it prints and how it ends.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/cli_app.h"
#include "line/exit_codes.h"
#include "platform/code_pages.h"
#include "report_test_support.h"
#include "reports/measured_report.h"

namespace ecuprobe::cli {
namespace {

struct ShowResult {
    int status = -1;
    std::string out;
    std::string err;
};

ShowResult show(std::vector<std::string> args) {
    args.insert(args.begin(), "show");
    CliApp app;
    std::ostringstream out;
    std::ostringstream err;
    if (const std::optional<int> status = app.parse(args, out, err)) {
        return {*status, out.str(), err.str()};
    }
    const int status = app.run(out, err);
    return {status, out.str(), err.str()};
}

void write(const std::string& name, const std::string& utf8) {
    std::ofstream(name, std::ios::binary) << platform::utf8ToCp1251(utf8);
}

std::string sampleFile(std::string_view title, std::string_view rows) {
    return "\r\n\r\n \t *** \r\n \t *** " + std::string(title) +
           " *** \r\n \t *** \r\n\t\tДата:" + "Mon Jan  1 10:00:00 2024\r\n" +
           std::string(reports::detailColumns) + std::string(rows);
}

class ShowCommand : public reports::testing::InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        const std::string_view dynamic = "Результаты динамического теста для обработки в Exel.";
        write("a.dmp", sampleFile(dynamic,
                                  "90\t2000\t0\t0.0000\t150.0000\t15.000\t1000\r\n"
                                  "91\t5520\t0\t0.0000\t400.0000\t42.000\t2000\r\n"));
        write("b.dmp", sampleFile(dynamic,
                                  "90\t2040\t0\t0.0000\t150.0000\t15.000\t1000\r\n"
                                  "91\t5560\t0\t0.0000\t400.0000\t42.000\t1800\r\n"));
        write("c.dmm", sampleFile("Результаты теста потерь для обработки в Exel.",
                                  "90\t5000\t0\t0.0000\t150.0000\t0.000\t1000\r\n"
                                  "91\t2000\t0\t0.0000\t40.0000\t0.000\t3000\r\n"));
        write("cut.dmp", sampleFile(dynamic, "90\t2000\t0\t0.0000\t150.0000\t15"));
        write("car.tdm",
              "\r\n \t *** \r\n \t *** Результаты динамического теста. *** \r\n \t *** "
              "\r\n\t\tДата:Mon Jan  1 10:00:00 2024\r\nКоментарий: до ремонта\r\n\r\n"
              " Длительность разгона:\t1.0000\tcек.\r\n Файл дампа: a.dmp");
        write("cut.tdm",
              "\r\n \t *** \r\n \t *** Результаты динамического теста. *** \r\n \t *** "
              "\r\n\t\tДата:Mon Jan  1 10:00:00 2024\r\n\r\n Длительность разгона:\t1.00");
        write("back.dmp", sampleFile(dynamic,
                                     "90\t2000\t0\t0.0000\t150.0000\t15.000\t1000\r\n"
                                     "91\t5520\t0\t0.0000\t400.0000\t42.000\t500\r\n"));
    }
};

TEST_F(ShowCommand, PutsRunsOfOneTestSideBySideWithTheirDifferences) {
    const ShowResult shown = show({"a.dmp", "b.dmp"});
    EXPECT_EQ(shown.status, line::exitOk) << shown.err;
    EXPECT_NE(shown.out.find("Тест динамических качеств"), std::string::npos) << shown.out;
    // 1.0 s against 0.8 s, the words of the line apart from their padding.
    const std::size_t at = shown.out.find("Длительность разгона, cек.");
    ASSERT_NE(at, std::string::npos) << shown.out;
    std::istringstream line(shown.out.substr(at, shown.out.find('\n', at) - at));
    std::vector<std::string> words{std::istream_iterator<std::string>(line), {}};
    EXPECT_EQ(words, (std::vector<std::string>{"Длительность", "разгона,", "cек.", "1.0000",
                                               "0.8000", "-0.2000", "-20.0%"}));
    const ShowResult tsv = show({"--tsv", "a.dmp", "b.dmp"});
    EXPECT_NE(tsv.out.find("Длительность разгона, cек.\t1.0000\t0.8000\t-0.2000\t-20.0%\n"),
              std::string::npos)
        << tsv.out;
}

TEST_F(ShowCommand, ListsADumpsReportsAndPrintsOneWhole) {
    const ShowResult listed = show({"--tsv", "car.tdm"});
    EXPECT_EQ(listed.status, line::exitOk) << listed.err;
    EXPECT_NE(listed.out.find("1\tMon Jan  1 10:00:00 2024\tРезультаты динамического теста.\tдо "
                              "ремонта\ta.dmp\n"),
              std::string::npos)
        << listed.out;
    const ShowResult whole = show({"--entry", "1", "car.tdm"});
    EXPECT_NE(whole.out.find(" Длительность разгона:\t1.0000\tcек.\n"), std::string::npos);
}

TEST_F(ShowCommand, EndsWith64NamingTheFileAndLineOfWhatItCannotReadOrCompare) {
    struct Case {
        std::vector<std::string> args;
        const char* err;
    };
    for (const Case& c : {Case{{"a.dmp", "cut.dmp"}, "cut.dmp:9: файл обрывается"},
                          Case{{"a.dmp", "c.dmm"}, "c.dmm: заезд другого теста"},
                          Case{{"cut.tdm"}, "cut.tdm:7: файл обрывается"},
                          Case{{"a.dmp", "back.dmp"}, "back.dmp:10: время идёт назад"},
                          Case{{"missing.dmp"}, "missing.dmp: файл не открывается"},
                          Case{{"--entry", "2", "car.tdm"}, "car.tdm: no report 2"},
                          Case{{}, "files is required"}}) {
        const ShowResult shown = show(c.args);
        EXPECT_EQ(shown.status, line::exitUsage) << c.err;
        EXPECT_NE(shown.err.find(c.err), std::string::npos) << shown.err;
    }
}

}  // namespace
}  // namespace ecuprobe::cli
