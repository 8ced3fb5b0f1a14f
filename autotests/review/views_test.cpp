// What the drive log and dump windows show, without the widgets: the log's
// columns as chart points, the shown stretch kept within the log, and a state
// report's lines taken apart into a table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "review/log_view.h"
#include "review/report_fields.h"

namespace ecuprobe::review {
namespace {

constexpr double none = std::numeric_limits<double>::quiet_NaN();

TEST(LogColumns, LeaveOutEmptyCellsAndComeInTimeOrder) {
    DriveLogTable log;
    log.names = {"FREQ", "SPD"};
    log.units = {"об/мин", "км/ч"};
    log.time = {0.0, 0.6, 0.3, 0.9};  // a row moved by hand
    log.columns = {{800, 900, none, 1000}, {none, none, none, none}};
    const std::deque<console::LivePoint> freq = columnPoints(log, 0);
    EXPECT_EQ(freq, (std::deque<console::LivePoint>{{0.0, 800}, {0.6, 900}, {0.9, 1000}}));
    EXPECT_TRUE(columnPoints(log, 1).empty());
    EXPECT_TRUE(columnPoints(log, 2).empty());
}

TEST(LogColumns, CarryTheConsoleCaptionBesideTheFieldName) {
    EXPECT_NE(columnCaption("FREQ").find("(FREQ)"), std::string::npos);
    EXPECT_GT(columnCaption("FREQ").size(), std::string("(FREQ)").size());
    const std::string valf = columnCaption("VALF");
    EXPECT_EQ(valf.find("VALF"), valf.rfind("VALF")) << valf;
    EXPECT_EQ(columnCaption("NOSUCH"), "NOSUCH");
}

struct SpanStep {
    const char* name;
    void (*act)(LogSpan&);
    double from;
    double to;
};

class LogSpans : public ::testing::TestWithParam<SpanStep> {};

// A log of 0..3600 s; each case starts from the whole log.
TEST_P(LogSpans, StayWithinTheLog) {
    LogSpan span(0, 3600);
    GetParam().act(span);
    EXPECT_NEAR(span.from(), GetParam().from, 1e-9);
    EXPECT_NEAR(span.to(), GetParam().to, 1e-9);
    EXPECT_GE(span.from(), span.logFrom());
    EXPECT_LE(span.to(), span.logTo());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LogSpans,
    ::testing::Values(
        SpanStep{"ZoomInAroundTheMiddle", [](LogSpan& s) { s.zoom(0.5, 1800); }, 900, 2700},
        SpanStep{"ZoomInAroundTheStartKeepsIt", [](LogSpan& s) { s.zoom(0.1, 0); }, 0, 360},
        SpanStep{"ZoomOutBeyondTheLogShowsItAll", [](LogSpan& s) { s.zoom(4, 100); }, 0, 3600},
        // 1000 s stays at 1000/3600 of the view's width.
        SpanStep{"ZoomNoNarrowerThanAFewReads", [](LogSpan& s) { s.zoom(1e-9, 1000); },
                 1000 - 5.0 * 1000 / 3600, 1000 + 5.0 * 2600 / 3600},
        SpanStep{"PanPastTheEndStopsAtIt",
                 [](LogSpan& s) {
                     s.zoom(0.1, 0);
                     s.panBy(1e6);
                 },
                 3240, 3600},
        SpanStep{"PanBeforeTheStartStopsAtIt",
                 [](LogSpan& s) {
                     s.zoom(0.1, 3600);
                     s.panTo(-50);
                 },
                 0, 360},
        SpanStep{"ZoomOutNearTheEndSlidesBackIn",
                 [](LogSpan& s) {
                     s.zoom(0.1, 3600);
                     s.zoom(3, 3600);
                 },
                 2520, 3600},
        SpanStep{"ShowAllAfterZooming",
                 [](LogSpan& s) {
                     s.zoom(0.01, 700);
                     s.showAll();
                 },
                 0, 3600}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(LogSpans, AShortLogStillHasAWidth) {
    LogSpan span(2, 2);
    EXPECT_DOUBLE_EQ(span.width(), LogSpan::narrowestSeconds);
    span.zoom(0.5, 3);
    EXPECT_DOUBLE_EQ(span.width(), LogSpan::narrowestSeconds);
    EXPECT_TRUE(span.wholeLog());
}

// A state report as the reader gives it: UTF-8 lines joined by "\n".
DumpEntry stateReport(std::string comment) {
    DumpEntry entry;
    entry.title = "Состояние внутренних переменых ЭБУ.";
    entry.date = "Tue Feb  6 09:00:00 2024";
    entry.comment = comment;
    entry.text =
        " \t ******************************************* \n"
        " \t *** Состояние внутренних переменых ЭБУ. *** \n"
        " \t ******************************************* \n"
        "\t\tДата:Tue Feb  6 09:00:00 2024\n";
    if (!comment.empty()) {
        entry.text += "Коментарий: " + comment + "\n";
    }
    entry.text +=
        "\n"
        " Температура охлаждающей жидкости(TWAT):\t\t90\tград. С.\n"
        " Соотношение воздух/топливо (VALF):\t\t\t14.700\n"
        " Угол опережения зажигания (UOZ):\t\t\t-5\tград.\n"
        "Признаки:\n"
        " Остановки(BITSTP):0\n"
        "\n"
        "Неисправности :\t \n"
        "нет\n"
        "\n"
        "Тип блока управления:Микас 5.4\n"
        " Паспрот программы\t:M54 A1\t\t Паспрот данных:\tD 2\n"
        " Модификация блока:\t31\t\t Серийный номер блока:\t0012\n"
        "\n"
        "Комплектация: Датчик скорости,\n"
        "L-зонд,\n";
    return entry;
}

TEST(StateReports, LaidOutAsNameValueAndUnit) {
    const DumpEntry entry = stateReport("");
    ASSERT_TRUE(isStateReport(entry));
    const std::vector<ReportField> expected{
        {"Температура охлаждающей жидкости(TWAT)", "90", "град. С."},
        {"Соотношение воздух/топливо (VALF)", "14.700", ""},
        {"Угол опережения зажигания (UOZ)", "-5", "град."},
        {"Признаки", "", ""},
        {"Остановки(BITSTP)", "0", ""},
        {"Неисправности", "нет", ""},
        {"Тип блока управления", "Микас 5.4", ""},
        {"Паспрот программы", "M54 A1", ""},
        {"Паспрот данных", "D 2", ""},
        {"Модификация блока", "31", ""},
        {"Серийный номер блока", "0012", ""},
        {"Комплектация", "Датчик скорости,\nL-зонд,", ""},
    };
    EXPECT_EQ(reportFields(entry), expected);
}

TEST(StateReports, ACommentOfSeveralLinesStaysOutOfTheBody) {
    const DumpEntry entry = stateReport("после ремонта\nвторая строка");
    const std::vector<std::string> body = bodyLines(entry);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.front(), " Температура охлаждающей жидкости(TWAT):\t\t90\tград. С.");
    EXPECT_EQ(body.back(), "L-зонд,");
    EXPECT_EQ(reportFields(entry).front().name, "Температура охлаждающей жидкости(TWAT)");
}

TEST(StateReports, ATestReportIsNone) {
    DumpEntry entry;
    entry.title = "Результаты теста механических потерь.";
    entry.text = "stars\ntitle\nstars\n\t\tДата:Tue Feb  6 09:00:00 2024\n\n\n Выбег:\t1.0\n\n";
    EXPECT_FALSE(isStateReport(entry));
    EXPECT_EQ(bodyLines(entry), std::vector<std::string>{" Выбег:\t1.0"});
}

}  // namespace
}  // namespace ecuprobe::review
