#include "console/live_freshness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_names.h"
#include "report_test_support.h"

namespace ecuprobe::console {
namespace {

using ecuprobe::case_names::PrintTo;

struct Report {
    bool started;
    bool answering;
    std::time_t at;
};

struct FreshnessCase {
    const char* name;
    std::vector<Report> reports;
    bool stale;
    std::string note;
};

// 1700000000 is 22:13:20 UTC.
const FreshnessCase freshnessCases[] = {
    {"BeforeStartNothingIsReadAndNothingIsSaid", {{false, false, 1700000000}}, true, ""},
    {"AnsweringIsCurrent", {{true, true, 1700000000}}, false, ""},
    {"StartedButNeverAnswered",
     {{true, false, 1700000000}},
     true,
     "Нет связи с ЭБУ: значения ещё не прочитаны"},
    {"LostLinkNamesTheLastGoodRead",
     {{true, true, 1700000000},
      {true, true, 1700000005},
      {true, false, 1700000007},
      {true, false, 1700000009}},
     true,
     "Нет связи с ЭБУ: значения последнего опроса в 22:13:25"},
    {"BackAgainIsCurrent",
     {{true, true, 1700000000}, {true, false, 1700000002}, {true, true, 1700000004}},
     false,
     ""},
};

class LiveFreshnessTest : public ::testing::TestWithParam<FreshnessCase> {
protected:
    void SetUp() override { reports::testing::useTimeZone("UTC0"); }
};

TEST_P(LiveFreshnessTest, FollowsTheReports) {
    const FreshnessCase& c = GetParam();
    LiveFreshness freshness;
    for (const Report& report : c.reports) {
        freshness.update(report.started, report.answering, report.at);
    }
    EXPECT_EQ(freshness.stale(), c.stale);
    EXPECT_EQ(freshness.note(), c.note);
    PanelSnapshot shown;
    shown.texts.emplace(control::faultCount, "0");
    shown.texts.emplace(control::TWAT, "87");
    freshness.blankUnread(shown);
    EXPECT_EQ(shown.text(control::faultCount), c.stale ? "" : "0");
    EXPECT_EQ(shown.text(control::TWAT), "87");
}

INSTANTIATE_TEST_SUITE_P(Reports, LiveFreshnessTest, ::testing::ValuesIn(freshnessCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace ecuprobe::console
