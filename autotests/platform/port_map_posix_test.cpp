#include <gtest/gtest.h>

#include "platform/port_map.h"

namespace ecuprobe::platform {
namespace {

TEST(PortMap, ComOneToFourDefaultToTheFirstFourSerialPorts) {
    const PortMap map;
    EXPECT_EQ(map.path(0), "/dev/ttyS0");
    EXPECT_EQ(map.path(3), "/dev/ttyS3");
}

}  // namespace
}  // namespace ecuprobe::platform
