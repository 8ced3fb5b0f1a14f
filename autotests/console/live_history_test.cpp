#include "console/live_history.h"

#include <gtest/gtest.h>

namespace ecuprobe::console {
namespace {

PanelSnapshot liveValues(const char* freq, const char* twat) {
    PanelSnapshot snapshot;
    snapshot.texts[control::FREQ] = freq;
    snapshot.texts[control::TWAT] = twat;
    return snapshot;
}

TEST(LiveHistory, KeepsOnlyItsSpanAndSkipsNonNumbers) {
    LiveHistory history(10000);
    history.add(5000, liveValues("800", "90"));
    history.add(11000, liveValues("-", "91"));
    history.add(16000, liveValues("1200.5", "92"));
    EXPECT_EQ(history.size(), 2u);
    const std::vector<LivePoint> freq = history.series(control::FREQ, 60000);
    ASSERT_EQ(freq.size(), 1u);
    EXPECT_EQ(freq[0].seconds, 11.0);
    EXPECT_EQ(freq[0].value, 1200.5);
    EXPECT_EQ(history.series(control::TWAT, 5000).size(), 2u);
    EXPECT_EQ(history.series(control::TWAT, 4999).size(), 1u);
    EXPECT_EQ(history.newestSeconds(), 11.0);
}

TEST(LiveHistory, HandsAChartOnlyTheSamplesItHasNotTaken) {
    LiveHistory history(1000);
    PanelSnapshot first = liveValues("800", "90");
    first.texts[control::statusText] = "ЭБУ Микас 5.4";
    history.add(5000, first, 1700000000000);
    history.add(5600, liveValues("810", "90"), 1700000000600);
    const std::uint64_t taken = history.addedCount();
    history.add(6200, liveValues("x", "91"), 1700000001200);
    history.add(6800, liveValues("830", "91"), 1700000001800);
    const std::vector<LivePoint> fresh = history.seriesAfter(control::FREQ, taken);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0], (LivePoint{1.8, 830}));
    EXPECT_EQ(history.seriesAfter(control::TWAT, taken).size(), 2u);
    EXPECT_TRUE(history.seriesAfter(control::FREQ, history.addedCount()).empty());
    // The history let its oldest go: a chart far behind gets what is left.
    EXPECT_EQ(history.size(), 2u);
    EXPECT_EQ(history.seriesAfter(control::TWAT, 0).size(), 2u);
    EXPECT_EQ(history.clockMsAt(1.8), 1700000001800);
    EXPECT_EQ(history.ecuType(), "");
}

TEST(LiveHistory, ExportsTheShownTextsTabSeparated) {
    LiveHistory history;
    history.add(100000, liveValues("840", "90"));
    history.add(100650, liveValues("860", "-5"));
    const ControlId ids[] = {control::FREQ, control::TWAT, control::LAM2};
    EXPECT_EQ(history.tsv(ids, 60000),
              "Время, с\tОбороты (FREQ)\tТемп. Охл. (TWAT)\tНапр. на L-зонде: №2\n"
              "0.0\t840\t90\t\n"
              "0.6\t860\t-5\t\n");
}

}  // namespace
}  // namespace ecuprobe::console
