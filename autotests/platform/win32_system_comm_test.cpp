#include "platform/win32_system_comm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/serial_port.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/win32_serial_device.h"

// The real Win32 calls, on devices that every Windows system has or lacks.
namespace ecuprobe::platform {
namespace {

using Texts = std::vector<std::string>;

class Win32SystemCommTest : public ::testing::Test {
protected:
    Win32SystemCommTest() {
        port.attach(device, clock, ports);
        port.setErrorObserver([this](std::string_view text) { errors.emplace_back(text); });
    }

    FakeClock clock;
    Win32SystemComm comm;
    Win32SerialDevice device{comm};
    PortMap ports;
    link::SerialPort port;
    Texts errors;
};

TEST_F(Win32SystemCommTest, PortThatDoesNotExistGivesTwo) {
    ports.setPath(0, "COM199");
    EXPECT_EQ(port.open(2), link::OpenResult::deviceNotOpened);
    EXPECT_EQ(errors, Texts{"Ошибка открытия СОМ."});
    EXPECT_FALSE(device.isOpen());
}

TEST_F(Win32SystemCommTest, DeviceThatIsNoSerialPortGivesThreeAndIsReleased) {
    ports.setPath(0, "NUL");
    EXPECT_EQ(port.open(2), link::OpenResult::lineSettingsUnread);
    EXPECT_EQ(errors, Texts{"Ошибка получения DCB."});
    EXPECT_FALSE(device.isOpen());
}

}  // namespace
}  // namespace ecuprobe::platform
