#include "platform/serial_device_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/usb_chips.h"

namespace ecuprobe::platform {
namespace {

namespace fs = std::filesystem;

// A machine in a temporary folder, laid out as Linux lays out sysfs and /dev: an
// FTDI cable, an Arduino-like CDC device, a UART at ttyS0, a ttyS1 without one.
class FakeDeviceTree : public testing::Test {
protected:
    void SetUp() override {
        root = fs::path(testing::TempDir()) / ("ecuprobe-tree-" + std::to_string(::getpid()));
        fs::remove_all(root);
        roots = {(root / "sys").string(), (root / "dev").string()};
        const fs::path usb = sys() / "devices/pci0000:00/0000:00:14.0/usb1";
        addUsbDevice(usb / "1-2", {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI"});
        addUsbDevice(usb / "1-3", {"2341", "0043", "Arduino (www.arduino.cc)", "", "7593231"});
        const fs::path ftdiPort = usb / "1-2/1-2:1.0/ttyUSB0";
        makeDriver(ftdiPort, "bus/usb-serial/drivers/ftdi_sio");
        write(ftdiPort / "latency_timer", "16\n");
        addTty("ttyUSB0", ftdiPort);
        makeDriver(usb / "1-3/1-3:1.0", "bus/usb/drivers/cdc_acm");
        addTty("ttyACM0", usb / "1-3/1-3:1.0");
        makeDriver(sys() / "devices/pnp0/00:01", "bus/pnp/drivers/serial");
        addTty("ttyS0", sys() / "devices/pnp0/00:01", "4");
        addTty("ttyS1", sys() / "devices/platform/serial8250", "0");
        addTty("tty0", sys() / "devices/virtual/tty/tty0");
        fs::create_directories(root / "dev/serial/by-id");
        fs::create_symlink("../../ttyUSB0", root / "dev/serial/by-id" / ftdiById);
    }

    void TearDown() override { fs::remove_all(root); }

    struct UsbIdentity {
        std::string vendor, product, maker, name, serial;
    };

    fs::path sys() const { return root / "sys"; }

    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

    void addUsbDevice(const fs::path& dir, const UsbIdentity& id) {
        write(dir / "idVendor", id.vendor + "\n");
        write(dir / "idProduct", id.product + "\n");
        write(dir / "manufacturer", id.maker + "\n");
        if (!id.name.empty()) {
            write(dir / "product", id.name + "\n");
        }
        write(dir / "serial", id.serial + "\n");
    }

    void makeDriver(const fs::path& device, const std::string& driver) {
        fs::create_directories(sys() / driver);
        fs::create_directories(device);
        fs::create_symlink(sys() / driver, device / "driver");
    }

    // The class entry with its device link, a port type for ttyS, and the /dev node.
    void addTty(const std::string& name, const fs::path& device, const std::string& type = "") {
        const fs::path entry = sys() / "class/tty" / name;
        fs::create_directories(entry);
        fs::create_directories(device);
        fs::create_symlink(device, entry / "device");
        if (!type.empty()) {
            write(entry / "type", type + "\n");
        }
        write(root / "dev" / name, "");
    }

    std::string dev(const std::string& name) const { return (root / "dev" / name).string(); }

    const std::string ftdiById = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    fs::path root;
    DeviceTreeRoots roots;
};

TEST_F(FakeDeviceTree, ListsEveryAdapterWithItsIdentityFromSysfs) {
    const std::vector<SerialDeviceInfo> found = listSerialDevices(roots);
    ASSERT_EQ(found.size(), 3u);
    const struct {
        std::string name, driver, vendor, product, maker, productName, serial;
        std::optional<int> latency;
        std::vector<std::string> byId;
    } expected[] = {
        {"ttyACM0", "cdc_acm", "2341", "0043", "Arduino (www.arduino.cc)", "", "7593231", {}, {}},
        {"ttyS0", "serial", "", "", "", "", "", {}, {}},
        {"ttyUSB0",
         "ftdi_sio",
         "0403",
         "6001",
         "FTDI",
         "FT232R USB UART",
         "A50285BI",
         16,
         {(root / "dev/serial/by-id" / ftdiById).string()}},
    };
    for (std::size_t i = 0; i < found.size(); ++i) {
        const SerialDeviceInfo& d = found[i];
        const auto& e = expected[i];
        EXPECT_EQ(d.name, e.name);
        EXPECT_EQ(d.path, dev(e.name)) << e.name;
        EXPECT_EQ(d.driver, e.driver) << e.name;
        EXPECT_EQ(d.vendorId, e.vendor) << e.name;
        EXPECT_EQ(d.productId, e.product) << e.name;
        EXPECT_EQ(d.maker, e.maker) << e.name;
        EXPECT_EQ(d.product, e.productName) << e.name;
        EXPECT_EQ(d.serialNumber, e.serial) << e.name;
        EXPECT_EQ(d.latencyTimerMs, e.latency) << e.name;
        EXPECT_EQ(d.byIdPaths, e.byId) << e.name;
        EXPECT_EQ(d.use, DeviceUse::free) << e.name;
    }
    EXPECT_EQ(found[2].latencyTimerPath,
              (sys() / "class/tty/ttyUSB0/device/latency_timer").string());
    EXPECT_EQ(usbChipName(found[2].vendorId, found[2].productId), "FTDI FT232R");
    EXPECT_EQ(usbChipName(found[0].vendorId, found[0].productId), "") << "not a USB-serial chip";
    EXPECT_EQ(usbChipName("067B", "2303"), "Prolific PL2303") << "ids in either case";
}

TEST_F(FakeDeviceTree, AHeldDeviceIsBusyAndAMissingNodeUnknown) {
    const int holder = ::open(dev("ttyUSB0").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    fs::remove(dev("ttyACM0"));
    const std::vector<SerialDeviceInfo> found = listSerialDevices(roots);
    ::close(holder);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].use, DeviceUse::unknown);
    EXPECT_EQ(found[1].use, DeviceUse::free);
    EXPECT_EQ(found[2].use, DeviceUse::busy);
}

TEST_F(FakeDeviceTree, ComSlotsAndLookupsGoThroughLinks) {
    PortMap ports;
    ports.setPath(0, (root / "dev/serial/by-id" / ftdiById).string());
    ports.setPath(1, dev("ttyS0"));
    ports.setPath(2, dev("ttyUSB0"));
    ports.setPath(3, dev("ttyUSB7"));
    const std::vector<SerialDeviceInfo> found = listSerialDevices(roots);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(comSlotsOf(found[0], ports), std::vector<int>{});
    EXPECT_EQ(comSlotsOf(found[1], ports), std::vector<int>{1});
    EXPECT_EQ(comSlotsOf(found[2], ports), (std::vector<int>{0, 2}));

    const auto byLink = findSerialDevice(ports.path(0), roots);
    ASSERT_TRUE(byLink.has_value());
    EXPECT_EQ(byLink->name, "ttyUSB0");
    EXPECT_EQ(byLink->use, DeviceUse::unknown) << "a lookup opens nothing";
    EXPECT_FALSE(findSerialDevice(dev("ttyUSB7"), roots).has_value());
    EXPECT_FALSE(findSerialDevice("/dev/pts/0", roots).has_value());
}

TEST_F(FakeDeviceTree, AMissingOrStrangeTreeGivesNothingRatherThanFailing) {
    EXPECT_TRUE(listSerialDevices({(root / "nowhere").string(), dev("")}).empty());
    // A device link leading out of the tree, and a latency timer that is no number.
    write(sys() / "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0/latency_timer", "x\n");
    fs::create_directories(sys() / "class/tty/ttyUSB9");
    fs::create_symlink("/", sys() / "class/tty/ttyUSB9/device");
    const std::vector<SerialDeviceInfo> found = listSerialDevices(roots);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_FALSE(found[2].latencyTimerMs.has_value());
    EXPECT_EQ(found[3].name, "ttyUSB9");
    EXPECT_FALSE(found[3].onUsb());
}

}  // namespace
}  // namespace ecuprobe::platform
