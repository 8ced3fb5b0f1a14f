#include "platform/serial_device_list.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "platform/process_files.h"

namespace ecuprobe::platform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view serialPrefixes[] = {"ttyUSB", "ttyACM", "ttyS"};

// The prefix of a name such as "ttyUSB0", empty for names that are no serial line.
std::string_view serialPrefixOf(std::string_view name) {
    for (const std::string_view prefix : serialPrefixes) {
        const std::string_view rest = name.substr(std::min(prefix.size(), name.size()));
        if (name.starts_with(prefix) && !rest.empty() && rest.size() <= 4 &&
            std::all_of(rest.begin(), rest.end(),
                        [](unsigned char c) { return std::isdigit(c) != 0; })) {
            return prefix;
        }
    }
    return {};
}

// "ttyS2" before "ttyS10": the prefix first, then the number.
bool byPrefixAndNumber(const SerialDeviceInfo& a, const SerialDeviceInfo& b) {
    const std::string_view pa = serialPrefixOf(a.name);
    const std::string_view pb = serialPrefixOf(b.name);
    return std::make_tuple(pa, a.name.size(), a.name) < std::make_tuple(pb, b.name.size(), b.name);
}

// A sysfs attribute's first line without its trailing blanks; empty when unreadable
// (or no regular file: a FIFO in its place would hold the scan for good).
std::string attribute(const fs::path& file) {
    constexpr std::size_t pageSize = 4096;
    const RegularFileText read = readRegularFile(file, pageSize);
    std::string line = read.text.substr(0, read.text.find('\n'));
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0) {
        line.pop_back();
    }
    return line;
}

fs::path resolved(const fs::path& path) {
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    return error ? fs::path() : real;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    const fs::path ra = resolved(a);
    return !ra.empty() && ra == resolved(b);
}

// The 8250 driver registers ttyS0..ttyS31 whether or not a UART answers there;
// the ones without one have the port type 0 (unknown).
bool hasRealUart(const fs::path& ttyDir, std::string_view prefix) {
    if (prefix != "ttyS") {
        return true;
    }
    const std::string type = attribute(ttyDir / "type");
    return !type.empty() && type != "0";
}

// Strictly below root; false for an empty path or root.
bool isBelow(const fs::path& dir, const fs::path& root) {
    if (root.empty()) {
        return false;
    }
    const auto [r, d] = std::mismatch(root.begin(), root.end(), dir.begin(), dir.end());
    return r == root.end() && d != dir.end();
}

// Walks up from the tty's device to the USB device that carries the identity
// files; never out of the sysfs tree.
void readUsbIdentity(const fs::path& deviceDir, const fs::path& sysRoot, SerialDeviceInfo& info) {
    for (fs::path dir = resolved(deviceDir); isBelow(dir, sysRoot); dir = dir.parent_path()) {
        std::error_code error;
        if (fs::exists(dir / "idVendor", error)) {
            info.vendorId = attribute(dir / "idVendor");
            info.productId = attribute(dir / "idProduct");
            info.maker = attribute(dir / "manufacturer");
            info.product = attribute(dir / "product");
            info.serialNumber = attribute(dir / "serial");
            return;
        }
    }
}

void readLatencyTimer(const fs::path& deviceDir, SerialDeviceInfo& info) {
    const fs::path file = deviceDir / "latency_timer";
    info.latencyTimerMs = readLatencyTimerFile(file.string());
    if (info.latencyTimerMs) {
        info.latencyTimerPath = file.string();
    }
}

void findByIdLinks(const fs::path& devRoot, SerialDeviceInfo& info) {
    std::error_code error;
    for (fs::directory_iterator it(devRoot / "serial" / "by-id", error), end; !error && it != end;
         it.increment(error)) {
        if (sameFile(it->path(), info.path)) {
            info.byIdPaths.push_back(it->path().string());
        }
    }
    std::sort(info.byIdPaths.begin(), info.byIdPaths.end());
}

// Opens the node as the tester would, and lets go at once.
DeviceUse probeUse(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY) {
            return DeviceUse::busy;
        }
        return errno == EACCES || errno == EPERM ? DeviceUse::noAccess : DeviceUse::unknown;
    }
    DeviceUse use = DeviceUse::free;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        use = errno == EWOULDBLOCK ? DeviceUse::busy : DeviceUse::unknown;
    }
    ::close(fd);
    return use;
}

std::optional<SerialDeviceInfo> describe(const fs::path& ttyDir, const DeviceTreeRoots& roots,
                                         const fs::path& sysRoot) {
    SerialDeviceInfo info;
    info.name = ttyDir.filename().string();
    const std::string_view prefix = serialPrefixOf(info.name);
    if (prefix.empty() || !hasRealUart(ttyDir, prefix)) {
        return std::nullopt;
    }
    info.path = (fs::path(roots.dev) / info.name).string();
    const fs::path deviceDir = ttyDir / "device";
    info.driver = resolved(deviceDir / "driver").filename().string();
    readUsbIdentity(deviceDir, sysRoot, info);
    readLatencyTimer(deviceDir, info);
    findByIdLinks(roots.dev, info);
    return info;
}

std::vector<SerialDeviceInfo> scan(const DeviceTreeRoots& roots) {
    std::vector<SerialDeviceInfo> found;
    const fs::path sysRoot = resolved(roots.sys);
    std::error_code error;
    for (fs::directory_iterator it(fs::path(roots.sys) / "class" / "tty", error), end;
         !error && it != end; it.increment(error)) {
        if (auto info = describe(it->path(), roots, sysRoot)) {
            found.push_back(std::move(*info));
        }
    }
    std::sort(found.begin(), found.end(), byPrefixAndNumber);
    return found;
}

std::string environmentOr(const char* variable, const std::string& fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

}  // namespace

std::optional<int> readLatencyTimerFile(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const std::string text = attribute(path);
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return std::nullopt;
    }
    return std::stoi(text);
}

DeviceTreeRoots DeviceTreeRoots::fromEnvironment() {
    DeviceTreeRoots roots;
    roots.sys = environmentOr("ECUPROBE_SYSFS_ROOT", roots.sys);
    roots.dev = environmentOr("ECUPROBE_DEV_ROOT", roots.dev);
    return roots;
}

std::vector<SerialDeviceInfo> listSerialDevices(const DeviceTreeRoots& roots) {
    std::vector<SerialDeviceInfo> found = scan(roots);
    for (SerialDeviceInfo& info : found) {
        info.use = probeUse(info.path);
    }
    return found;
}

std::optional<SerialDeviceInfo> findSerialDevice(const std::string& path,
                                                 const DeviceTreeRoots& roots) {
    for (SerialDeviceInfo& info : scan(roots)) {
        if (sameFile(path, info.path)) {
            return std::move(info);
        }
    }
    return std::nullopt;
}

std::string deviceIdentity(const std::string& path) {
    struct stat node {};
    if (path.empty() || ::stat(path.c_str(), &node) != 0) {
        return path;
    }
    const std::optional<SerialDeviceInfo> found =
        findSerialDevice(path, DeviceTreeRoots::fromEnvironment());
    if (found && found->onUsb() && !found->serialNumber.empty()) {
        return "usb " + found->vendorId + ":" + found->productId + " " + found->serialNumber;
    }
    return resolved(path).string() + " " + std::to_string(major(node.st_rdev)) + ":" +
           std::to_string(minor(node.st_rdev));
}

std::vector<int> comSlotsOf(const SerialDeviceInfo& device, const PortMap& ports) {
    std::vector<int> slots;
    for (int slot = 0; slot < PortMap::portCount; ++slot) {
        if (sameFile(ports.path(slot), device.path)) {
            slots.push_back(slot);
        }
    }
    return slots;
}

std::string_view deviceUseText(DeviceUse use) {
    switch (use) {
        case DeviceUse::free:
            return "free";
        case DeviceUse::busy:
            return "busy: another program holds it";
        case DeviceUse::noAccess:
            return "no access (is the user in the dialout group?)";
        case DeviceUse::unknown:
            break;
    }
    return "unknown";
}

}  // namespace ecuprobe::platform
