#include "platform/port_map.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

namespace ecuprobe::platform {
namespace {

TEST(PortMap, ComOneToFourDefaultToTheFirstFourSerialPorts) {
    const PortMap map;
    EXPECT_EQ(map.path(0), "/dev/ttyS0");
    EXPECT_EQ(map.path(3), "/dev/ttyS3");
}

class PortMapEnvironment : public testing::Test {
protected:
    void TearDown() override {
        for (int i = 1; i <= PortMap::portCount; ++i) {
            unsetenv(("ECUPROBE_COM" + std::to_string(i)).c_str());
        }
    }
};

TEST_F(PortMapEnvironment, VariablesOverrideSingleSlotsAndEmptyOnesAreIgnored) {
    setenv("ECUPROBE_COM1", "/dev/ttyUSB0", 1);
    setenv("ECUPROBE_COM3", "", 1);
    setenv("ECUPROBE_COM4", "/dev/pts/7", 1);
    const PortMap map = PortMap::fromEnvironment();
    EXPECT_EQ(map.path(0), "/dev/ttyUSB0");
    EXPECT_EQ(map.path(1), "/dev/ttyS1");
    EXPECT_EQ(map.path(2), "/dev/ttyS2");
    EXPECT_EQ(map.path(3), "/dev/pts/7");
}

TEST(PortMap, SlotOutsideOneToFourIsRejected) {
    PortMap map;
    EXPECT_THROW(map.path(4), std::out_of_range);
    EXPECT_THROW(map.setPath(-1, "/dev/null"), std::out_of_range);
}

TEST(PortMap, ComNamesMapToSlotsInAnyCase) {
    const struct {
        const char* name;
        std::optional<int> slot;
    } cases[] = {{"COM1", 0},
                 {"com4", 3},
                 {"Com2", 1},
                 {"COM0", std::nullopt},
                 {"COM5", std::nullopt},
                 {"COM", std::nullopt},
                 {"COM12", std::nullopt},
                 {"TTY1", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(PortMap::comIndexOf(c.name), c.slot) << c.name;
    }
}

}  // namespace
}  // namespace ecuprobe::platform
