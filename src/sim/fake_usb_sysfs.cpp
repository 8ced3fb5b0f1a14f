#include "sim/fake_usb_sysfs.h"

#include <filesystem>
#include <fstream>

namespace ecuprobe::sim {

namespace {

namespace fs = std::filesystem;

// The USB device, its interface, and the tty under it, as on a PC's xHCI port.
constexpr const char* usbDevice = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-1";
constexpr const char* ttyDevice = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0";

bool writeFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file);
    out << text << '\n';
    out.close();
    return !out.fail();
}

}  // namespace

FakeUsbSysfs::~FakeUsbSysfs() {
    if (made) {
        std::error_code error;
        fs::remove_all(fs::path(root) / "sys", error);
        fs::remove_all(fs::path(root) / "dev", error);
    }
}

bool FakeUsbSysfs::create(const std::string& folder, int latencyMs, bool readOnly) {
    root = folder;
    std::error_code error;
    if (fs::exists(fs::path(root) / "sys", error) || fs::exists(fs::path(root) / "dev", error)) {
        problem = "fake sysfs: " + root + " already holds a sys or dev folder; give an empty one";
        return false;
    }
    made = true;
    if (!layOut(latencyMs, readOnly)) {
        problem = "fake sysfs: cannot write the tree under " + root;
        return false;
    }
    return true;
}

bool FakeUsbSysfs::layOut(int latencyMs, bool readOnly) {
    const fs::path base(root);
    const fs::path usb = base / usbDevice;
    const fs::path tty = base / ttyDevice;
    const fs::path driver = base / "sys/bus/usb-serial/drivers/ftdi_sio";
    const fs::path entry = base / "sys/class/tty/ttyUSB0";
    std::error_code error;
    for (const fs::path& dir : {tty, driver, entry, base / "dev"}) {
        fs::create_directories(dir, error);
    }
    fs::create_symlink(driver, tty / "driver", error);
    fs::create_symlink(tty, entry / "device", error);
    if (error) {
        return false;
    }
    timerFile = (tty / "latency_timer").string();
    const bool written =
        writeFile(usb / "idVendor", "0403") && writeFile(usb / "idProduct", "6001") &&
        writeFile(usb / "manufacturer", "FTDI") && writeFile(usb / "product", "FT232R USB UART") &&
        writeFile(usb / "serial", "ECUSIM01") && writeFile(timerFile, std::to_string(latencyMs));
    if (written && readOnly) {
        fs::permissions(timerFile,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                        error);
    }
    return written && !error;
}

std::string FakeUsbSysfs::devicePath() const {
    return (fs::path(root) / "dev/ttyUSB0").string();
}

std::optional<int> FakeUsbSysfs::latencyMs() const {
    std::ifstream in(timerFile);
    int ms = 0;
    if (!(in >> ms)) {
        return std::nullopt;
    }
    return ms;
}

}  // namespace ecuprobe::sim
