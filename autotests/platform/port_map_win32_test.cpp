#include <gtest/gtest.h>

#include "platform/port_map.h"

namespace ecuprobe::platform {
namespace {

TEST(PortMap, ComOneToFourDefaultToThePortsOfThoseNames) {
    const PortMap map;
    EXPECT_EQ(map.path(0), "COM1");
    EXPECT_EQ(map.path(3), "COM4");
}

}  // namespace
}  // namespace ecuprobe::platform
