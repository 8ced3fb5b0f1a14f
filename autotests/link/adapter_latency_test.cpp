#include "link/adapter_latency.h"

#include <gtest/gtest.h>

#include <optional>

#include "case_names.h"
#include "link/link_fixture.h"

namespace ecuprobe::link {
namespace {

using ecuprobe::case_names::PrintTo;

using testing_support::LinkTest;

// The driver and the sysfs file behind the port, and what the open finds.
struct LatencyCase {
    const char* name;
    bool grantsLowLatency;
    std::optional<int> timer;
    bool writable;
    std::optional<int> found;
    std::optional<int> after;
    bool told;
};

class PortLatency : public LinkTest, public testing::WithParamInterface<LatencyCase> {};

TEST_P(PortLatency, IsReadBackLoweredWhereItMayBeAndToldWhenStillSlow) {
    const LatencyCase& c = GetParam();
    device.grantsLowLatency = c.grantsLowLatency;
    device.latencyTimer = c.timer;
    device.latencyTimerWritable = c.writable;
    openPort();
    const AdapterLatency& latency = link.adapterLatency();
    EXPECT_EQ(latency.lowLatencyGranted, c.grantsLowLatency);
    EXPECT_EQ(latency.foundMs, c.found);
    EXPECT_EQ(latency.timerMs, c.after);
    EXPECT_EQ(device.latencyTimer, c.after);
    EXPECT_EQ(link.takeLatencyNotice().has_value(), c.told);
    EXPECT_TRUE(link.errorCount() == 0) << "a slow adapter is no line error";
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, PortLatency,
    testing::Values(
        // ftdi_sio takes the request and drops its timer to 1 ms itself.
        LatencyCase{"DriverTakesTheRequest", true, 16, false, 1, 1, false},
        LatencyCase{"DriverRefusesAndTheFileIsReadOnly", false, 16, false, 16, 16, true},
        LatencyCase{"DriverRefusesAndTheFileIsWritable", false, 16, true, 16, 1, false},
        LatencyCase{"NoTimerFile", false, std::nullopt, true, std::nullopt, std::nullopt, false},
        LatencyCase{"TwoMillisecondsIsLeftAlone", false, 2, true, 2, 2, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(LinkTest, ASlowAdapterIsToldOncePerDeviceAcrossReconnects) {
    device.latencyTimer = 16;
    openPort();
    EXPECT_TRUE(link.takeLatencyNotice());
    EXPECT_FALSE(link.takeLatencyNotice());
    link.close();
    EXPECT_FALSE(link.takeLatencyNotice()) << "nothing is told of a closed port";
    openPort();
    EXPECT_FALSE(link.takeLatencyNotice());
    link.close();
    ASSERT_EQ(link.open(3), OpenResult::opened);
    const std::optional<AdapterLatency> other = link.takeLatencyNotice();
    ASSERT_TRUE(other);
    EXPECT_EQ(other->timerMs, 16);
}

TEST_F(LinkTest, AFailedOpenForgetsTheLastPortsLatency) {
    device.latencyTimer = 16;
    openPort();
    link.close();
    device.missingPaths = {"/dev/k-line-2"};
    EXPECT_EQ(link.open(3), OpenResult::deviceNotOpened);
    EXPECT_FALSE(link.adapterLatency().timerMs);
}

}  // namespace
}  // namespace ecuprobe::link
