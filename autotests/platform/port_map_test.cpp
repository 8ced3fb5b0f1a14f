#include "platform/port_map.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "environment.h"

namespace ecuprobe::platform {
namespace {

class PortMapEnvironment : public testing::Test {
protected:
    void TearDown() override {
        for (int i = 1; i <= PortMap::portCount; ++i) {
            ecuprobe::testing_support::clearEnvironment("ECUPROBE_COM" + std::to_string(i));
        }
    }
};

TEST_F(PortMapEnvironment, VariablesOverrideSingleSlotsAndEmptyOnesAreIgnored) {
    ecuprobe::testing_support::setEnvironment("ECUPROBE_COM1", "/dev/ttyUSB0");
    ecuprobe::testing_support::setEnvironment("ECUPROBE_COM3", "");
    ecuprobe::testing_support::setEnvironment("ECUPROBE_COM4", "/dev/pts/7");
    const PortMap map = PortMap::fromEnvironment();
    const PortMap defaults;
    EXPECT_EQ(map.path(0), "/dev/ttyUSB0");
    EXPECT_EQ(map.path(1), defaults.path(1));
    EXPECT_EQ(map.path(2), defaults.path(2));
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
