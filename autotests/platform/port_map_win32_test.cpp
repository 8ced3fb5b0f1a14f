#include <gtest/gtest.h>

#include <vector>

#include "platform/port_map.h"
#include "platform/serial_device_list.h"

namespace ecuprobe::platform {
namespace {

TEST(PortMap, ComOneToFourDefaultToThePortsOfThoseNames) {
    const PortMap map;
    EXPECT_EQ(map.path(0), "COM1");
    EXPECT_EQ(map.path(3), "COM4");
}

// A USB adapter numbered above COM9 is reached through a slot, under any spelling.
TEST(PortMap, SlotsLeadToPortsAboveComNine) {
    PortMap map;
    map.setPath(1, "\\\\.\\com12");
    map.setPath(3, "COM12");
    SerialDeviceInfo twelve;
    twelve.name = twelve.path = "COM12";
    EXPECT_EQ(comSlotsOf(twelve, map), (std::vector<int>{1, 3}));
    SerialDeviceInfo one;
    one.name = one.path = "COM1";
    EXPECT_EQ(comSlotsOf(one, map), (std::vector<int>{0}));
}

}  // namespace
}  // namespace ecuprobe::platform
