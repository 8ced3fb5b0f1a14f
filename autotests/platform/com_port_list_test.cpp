#include "platform/com_port_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ecuprobe::platform {
namespace {

const ComPortRecord ftdi{"COM5", "USB Serial Port (COM5)", "FTDIBUS\\COMPORT&VID_0403&PID_6001",
                         "FTDIBUS", "FTDI"};
const ComPortRecord arduino{"COM12", "Arduino Uno (COM12)", "USB\\VID_2341&PID_0043&REV_0001",
                            "usbser", "Arduino LLC (www.arduino.cc)"};
const ComPortRecord uart{"COM1", "Communications Port (COM1)", "ACPI\\PNP0501", "Serial",
                         "(Standard port types)"};
const ComPortRecord printer{"LPT1", "Printer Port (LPT1)", "ACPI\\PNP0400", "Parport",
                            "(Standard port types)"};

// name, product, maker, vendor:product, driver of each entry, in order.
std::vector<std::string> shown(const std::vector<SerialDeviceInfo>& devices) {
    std::vector<std::string> lines;
    for (const SerialDeviceInfo& d : devices) {
        EXPECT_EQ(d.path, d.name);
        lines.push_back(d.name + "|" + d.product + "|" + d.maker + "|" + d.vendorId + ":" +
                        d.productId + "|" + d.driver);
    }
    return lines;
}

TEST(ComPortList, PortsThatExistAreListedByNumberWithTheirFriendlyNames) {
    const struct {
        const char* what;
        std::vector<std::string> present;
        std::vector<ComPortRecord> records;
        std::vector<std::string> expected;
    } cases[] = {
        {"described ports, COM12 after COM5, no LPT",
         {"COM12", "COM1", "COM5"},
         {printer, arduino, ftdi, uart},
         {"COM1|Communications Port||:|Serial", "COM5|USB Serial Port|FTDI|0403:6001|FTDIBUS",
          "COM12|Arduino Uno|Arduino LLC (www.arduino.cc)|2341:0043|usbser"}},
        {"a port only the registry lists (a virtual pair) keeps its bare name",
         {"COM7"},
         {},
         {"COM7|||:|"}},
        {"a record missing from SERIALCOMM is present all the same, listed once",
         {"com5"},
         {ftdi, ftdi},
         {"COM5|USB Serial Port|FTDI|0403:6001|FTDIBUS"}},
        {"names that are no COM port are left out",
         {"COMX", "COM", "COM0", "\\Device\\Serial0"},
         {printer},
         {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shown(comPortDevices(c.present, c.records)), c.expected) << c.what;
    }
}

TEST(ComPortList, FriendlyNamesAndHardwareIdsAreTakenApart) {
    EXPECT_EQ(productOfFriendlyName("USB Serial Port (COM5)", "COM5"), "USB Serial Port");
    EXPECT_EQ(productOfFriendlyName("Prolific USB-to-Serial Comm Port (com10)", "COM10"),
              "Prolific USB-to-Serial Comm Port");
    // Another port's number in the name is part of the product.
    EXPECT_EQ(productOfFriendlyName("Bridge (COM1)", "COM11"), "Bridge (COM1)");
    const struct {
        const char* id;
        std::pair<std::string, std::string> ids;
    } cases[] = {{"USB\\VID_067B&PID_2303&REV_0300", {"067b", "2303"}},
                 {"FTDIBUS\\COMPORT&VID_0403&PID_6015", {"0403", "6015"}},
                 {"usb\\vid_1a86&pid_7523", {"1a86", "7523"}},
                 {"USB\\VID_12&PID_7523", {}},
                 {"ACPI\\PNP0501", {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(usbIdsOf(c.id), c.ids) << c.id;
    }
}

}  // namespace
}  // namespace ecuprobe::platform
