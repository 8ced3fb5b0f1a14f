#pragma once

#include <optional>
#include <string>

namespace ecuprobe::sim {

// A small sysfs and /dev under a folder of one's own, laid out as Linux lays out
// an FTDI FT232R cable at ttyUSB0, so that the tester (with ECUPROBE_SYSFS_ROOT
// and ECUPROBE_DEV_ROOT pointing here) finds the simulated adapter's latency
// timer and may lower it: DIR/sys/class/tty/ttyUSB0/device/latency_timer, the
// ftdi_sio driver, the USB ids 0403:6001, and DIR/dev/ttyUSB0 for the link to
// the pseudo-terminal (made by the pty server). Removes what it made.
class FakeUsbSysfs {
public:
    FakeUsbSysfs() = default;
    FakeUsbSysfs(const FakeUsbSysfs&) = delete;
    FakeUsbSysfs& operator=(const FakeUsbSysfs&) = delete;
    ~FakeUsbSysfs();

    // Lays the tree out under folder with the timer at latencyMs; read-only as
    // sysfs makes a file without write bits, which not even root may write. False
    // with error() set when folder already holds a sys or dev, or cannot be written.
    bool create(const std::string& folder, int latencyMs, bool readOnly);
    const std::string& error() const { return problem; }
    // Where the pty server puts its link to the pseudo-terminal.
    std::string devicePath() const;
    // What the latency_timer file holds now; nullopt when it cannot be read.
    std::optional<int> latencyMs() const;

private:
    bool layOut(int latencyMs, bool readOnly);

    std::string root;
    std::string timerFile;
    std::string problem;
    bool made = false;
};

}  // namespace ecuprobe::sim
