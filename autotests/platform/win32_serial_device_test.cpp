#include "platform/win32_serial_device.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "case_names.h"
#include "fake_win32_comm.h"
#include "link/link_probe.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "platform/port_map.h"

// The Win32 device's mapping onto the Win32 calls, through SerialPort as the
// tester drives it, with the calls faked.
namespace ecuprobe::platform {
namespace {

using testing_support::FakeWin32Comm;
using Texts = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

// A port as another program left it: 115200 7E2, every kind of flow control, and
// the driver's own XON/XOFF limits and characters.
constexpr Win32Dcb kDriverDcb{.BaudRate = 115200,
                              .fBinary = true,
                              .fParity = true,
                              .fOutxCtsFlow = true,
                              .fOutxDsrFlow = true,
                              .fDtrControl = 2,
                              .fDsrSensitivity = true,
                              .fTXContinueOnXoff = true,
                              .fOutX = true,
                              .fInX = true,
                              .fErrorChar = true,
                              .fNull = true,
                              .fRtsControl = 3,
                              .fAbortOnError = true,
                              .XonLim = 2048,
                              .XoffLim = 512,
                              .ByteSize = 7,
                              .Parity = 2,
                              .StopBits = 2,
                              .XonChar = 0x11,
                              .XoffChar = 0x13,
                              .ErrorChar = '?',
                              .EofChar = 0x1A,
                              .EvtChar = 0x0D};

const Texts kOpenCalls{"CreateFileA",  "GetCommState",    "GetCommState",
                       "SetCommState", "GetCommTimeouts", "SetCommTimeouts"};
// Released only after SetCommState has put the driver's own settings back.
const Texts kReleased{"SetCommState", "CloseHandle"};

class Win32SerialDeviceTest : public testing::Test {
protected:
    Win32SerialDeviceTest() {
        for (int i = 0; i < PortMap::portCount; ++i) {
            ports.setPath(i, "COM" + std::to_string(i + 1));
        }
        comm.dcb = kDriverDcb;
        port.attach(device, clock, ports);
        port.setErrorObserver([this](std::string_view text) { errors.emplace_back(text); });
    }

    void openPort() {
        ASSERT_EQ(port.open(2), link::OpenResult::opened);
        comm.calls.clear();
    }

    FakeClock clock;
    FakeWin32Comm comm;
    Win32SerialDevice device{comm};
    PortMap ports;
    link::SerialPort port;
    Texts errors;
};

TEST_F(Win32SerialDeviceTest, OpensTheComPortExclusivelyForReadingAndWriting) {
    ASSERT_EQ(port.open(3), link::OpenResult::opened);
    EXPECT_EQ(comm.calls, kOpenCalls);
    EXPECT_EQ(comm.created.path, "\\\\.\\COM2");
    EXPECT_EQ(comm.created.access, 0xC0000000u);  // GENERIC_READ | GENERIC_WRITE
    EXPECT_EQ(comm.created.shareMode, 0u);
    EXPECT_EQ(comm.created.creation, 3u);               // OPEN_EXISTING
    EXPECT_EQ(comm.created.flagsAndAttributes, 0x80u);  // FILE_ATTRIBUTE_NORMAL, not overlapped
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32SerialDeviceTest, SetsRawNineSixHundredEightNOneAndKeepsTheDriversOtherFields) {
    openPort();
    const Win32Dcb wanted{.BaudRate = 9600,
                          .fBinary = true,
                          .fParity = false,
                          .fOutxCtsFlow = false,
                          .fOutxDsrFlow = false,
                          .fDtrControl = 1,
                          .fDsrSensitivity = false,
                          .fTXContinueOnXoff = true,
                          .fOutX = false,
                          .fInX = false,
                          .fErrorChar = true,
                          .fNull = false,
                          .fRtsControl = 1,
                          .fAbortOnError = false,
                          .XonLim = 2048,
                          .XoffLim = 512,
                          .ByteSize = 8,
                          .Parity = 0,
                          .StopBits = 0,
                          .XonChar = 0x11,
                          .XoffChar = 0x13,
                          .ErrorChar = '?',
                          .EofChar = 0x1A,
                          .EvtChar = 0x0D};
    EXPECT_EQ(comm.dcb, wanted);
}

TEST_F(Win32SerialDeviceTest, ReadDeadlinesBecomeTheCommTimeoutsAndAWriteMayNotStallForever) {
    comm.timeouts = {0xFFFFFFFF, 0, 0, 10, 500};
    openPort();
    // 20 ms between bytes, 1 ms per byte plus 20 ms in all; a write gives up after 2 s.
    EXPECT_EQ(comm.timeouts, (Win32Timeouts{20, 1, 20, 0, 2000}));
    EXPECT_EQ(askedTimeouts(port), (ReadTimeouts{20, 1, 20}));
}

struct OpenFailureCase {
    int portNumber;
    const char* failingCall;
    std::uint8_t result;
    Texts calls;
    friend void PrintTo(const OpenFailureCase& c, std::ostream* out) {
        *out << (c.failingCall != nullptr ? c.failingCall : "port number ");
        if (c.failingCall == nullptr) {
            *out << c.portNumber;
        }
    }
};

class Win32SerialDeviceOpenFailure : public Win32SerialDeviceTest,
                                     public testing::WithParamInterface<OpenFailureCase> {};

TEST_P(Win32SerialDeviceOpenFailure, GivesItsCodeAndReleasesTheHandle) {
    const OpenFailureCase& c = GetParam();
    if (c.failingCall != nullptr) {
        comm.failAt(c.failingCall, testing_support::errorFileNotFound);
    }
    EXPECT_EQ(static_cast<int>(port.open(c.portNumber)), c.result);
    EXPECT_EQ(comm.calls, c.calls);
    EXPECT_EQ(comm.openHandles, 0);
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Results, Win32SerialDeviceOpenFailure,
    testing::Values(
        OpenFailureCase{1, nullptr, 1, {}}, OpenFailureCase{6, nullptr, 1, {}},
        OpenFailureCase{2, "CreateFileA", 2, {"CreateFileA"}},
        OpenFailureCase{2, "GetCommState", 3, {"CreateFileA", "GetCommState", "CloseHandle"}},
        OpenFailureCase{2,
                        "GetCommTimeouts",
                        5,
                        {"CreateFileA", "GetCommState", "GetCommState", "SetCommState",
                         "GetCommTimeouts", "SetCommState", "CloseHandle"}},
        OpenFailureCase{2,
                        "SetCommTimeouts",
                        6,
                        {"CreateFileA", "GetCommState", "GetCommState", "SetCommState",
                         "GetCommTimeouts", "SetCommTimeouts", "SetCommState", "CloseHandle"}}));

// Why the port did not open, named from GetLastError() at the call that failed
// and carried up to the port, with no second open to find out.
TEST_F(Win32SerialDeviceTest, NamesWhyThePortDidNotOpen) {
    const struct {
        const char* call;
        std::uint32_t error;
        OpenFailure failure;
    } cases[] = {
        {"CreateFileA", 2, {OpenFailureCause::notFound, {}}},
        {"CreateFileA", 3, {OpenFailureCause::notFound, {}}},
        // Another program's handle on a COM port is refused as access denied.
        {"CreateFileA", 5, {OpenFailureCause::busy, {}}},
        {"CreateFileA", 32, {OpenFailureCause::busy, {}}},
        {"CreateFileA", 1167, {OpenFailureCause::gone, {}}},
        {"CreateFileA", 1617, {OpenFailureCause::gone, {}}},
        {"CreateFileA", 87, {OpenFailureCause::other, "Windows error 87"}},
        {"GetCommState", 1, {OpenFailureCause::notTty, {}}},
        {"GetCommState", 1167, {OpenFailureCause::gone, {}}},
        {"SetCommTimeouts", 31, {OpenFailureCause::lineSettings, {}}},
    };
    for (const auto& c : cases) {
        comm.failAt(c.call, c.error);
        EXPECT_NE(port.open(2), link::OpenResult::opened) << c.call << ' ' << c.error;
        EXPECT_EQ(port.openFailure(), c.failure) << c.call << ' ' << c.error;
        EXPECT_EQ(device.openFailure(), c.failure) << c.call << ' ' << c.error;
        EXPECT_EQ(comm.openHandles, 0);
        comm.clearFailures();
    }
    ASSERT_EQ(port.open(2), link::OpenResult::opened);
    EXPECT_FALSE(port.openFailure().failed());
}

TEST_F(Win32SerialDeviceTest, NamesGoIntoTheDeviceNamespaceUnlessTheyAreThereAlready) {
    const struct {
        const char* name;
        const char* path;
    } cases[] = {{"COM1", "\\\\.\\COM1"},
                 {"COM10", "\\\\.\\COM10"},
                 {"com255", "\\\\.\\com255"},
                 {"\\\\.\\COM7", "\\\\.\\COM7"},
                 {"\\\\?\\USB#VID_0403&PID_6001", "\\\\?\\USB#VID_0403&PID_6001"}};
    for (const auto& c : cases) {
        ports.setPath(0, c.name);
        ASSERT_EQ(port.open(2), link::OpenResult::opened) << c.name;
        EXPECT_EQ(comm.created.path, c.path);
        port.close();
    }
}

TEST_F(Win32SerialDeviceTest, AnFtdiPortsLatencyTimerComesFromTheRegistryByItsComName) {
    comm.ftdiLatency = {{"COM12", 16}};
    for (const char* name : {"COM12", "\\\\.\\COM12"}) {
        ports.setPath(0, name);
        ASSERT_EQ(port.open(2), link::OpenResult::opened) << name;
        EXPECT_EQ(port.adapterLatency().timerMs, 16) << name;
        EXPECT_FALSE(port.adapterLatency().lowered()) << "the registry is only read";
        port.close();
    }
    ports.setPath(0, "COM1");
    ASSERT_EQ(port.open(2), link::OpenResult::opened);
    EXPECT_EQ(port.adapterLatency().timerMs, std::nullopt) << "no FTDI device on COM1";
}

// A pulled adapter is looked for among the DOS device names without opening it.
TEST_F(Win32SerialDeviceTest, APortExistsWhileWindowsDefinesItsName) {
    comm.definedDevices = {"COM3", "COM12"};
    const struct {
        const char* path;
        bool exists;
        const char* queried;
    } cases[] = {{"COM3", true, "QueryDosDeviceA COM3"},
                 {"\\\\.\\COM12", true, "QueryDosDeviceA COM12"},
                 {"COM5", false, "QueryDosDeviceA COM5"}};
    for (const auto& c : cases) {
        comm.calls.clear();
        EXPECT_EQ(device.exists(c.path), c.exists) << c.path;
        EXPECT_EQ(comm.calls, Texts{c.queried}) << c.path;
    }
    comm.calls.clear();
    EXPECT_TRUE(device.exists("\\\\?\\USB#VID_0403&PID_6001"));
    EXPECT_TRUE(comm.calls.empty());
}

TEST_F(Win32SerialDeviceTest, WaitingInputIsPurgedBeforeEachWrite) {
    openPort();
    comm.input = {0x55, 0x0D};  // a late answer to the previous request
    const Bytes request{0x63, 0x9C, 0x0D};
    port.writeBytes(request.data(), 3);
    EXPECT_EQ(comm.calls, (Texts{"PurgeComm 8", "WriteFile", "ReadFile"}));  // PURGE_RXCLEAR
    EXPECT_EQ(comm.output, request);
    EXPECT_EQ(port.lastEcho(), link::EchoCheck::matched);
}

TEST_F(Win32SerialDeviceTest, FewerBytesThanAskedIsATimeoutNotAFailure) {
    openPort();
    comm.input = {0x5A};
    std::uint8_t buffer[4] = {};
    const ReadOutcome read = device.read(buffer, 4);
    EXPECT_EQ(read.status, IoStatus::timedOut);
    EXPECT_EQ(read.count, 1u);
    EXPECT_EQ(device.read(buffer, 1).status, IoStatus::timedOut);

    comm.writeLimit = 2;
    const WriteOutcome written = device.write(buffer, 4);
    EXPECT_EQ(written.status, IoStatus::timedOut);
    EXPECT_EQ(written.count, 2u);
}

struct CallErrorCase {
    std::uint32_t error;
    bool portStillAnswers;
    IoStatus status;
    friend void PrintTo(const CallErrorCase& c, std::ostream* out) {
        *out << "error " << c.error << (c.portStillAnswers ? "" : " on a gone port");
    }
};

class Win32SerialDeviceCallError : public Win32SerialDeviceTest,
                                   public testing::WithParamInterface<CallErrorCase> {};

TEST_P(Win32SerialDeviceCallError, TellsARemovedDeviceFromAFailedCall) {
    openPort();
    comm.failAt("ReadFile", GetParam().error);
    comm.failAt("WriteFile", GetParam().error);
    if (!GetParam().portStillAnswers) {
        comm.failAt("GetCommState", win32::errorGenFailure);
    }
    std::uint8_t byte = 0x63;
    EXPECT_EQ(device.read(&byte, 1).status, GetParam().status);
    EXPECT_EQ(device.write(&byte, 1).status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, Win32SerialDeviceCallError,
    testing::Values(CallErrorCase{win32::errorAccessDenied, true, IoStatus::gone},
                    CallErrorCase{win32::errorBadCommand, true, IoStatus::gone},
                    CallErrorCase{win32::errorGenFailure, true, IoStatus::gone},
                    CallErrorCase{win32::errorDeviceNotConnected, true, IoStatus::gone},
                    CallErrorCase{win32::errorDeviceRemoved, true, IoStatus::gone},
                    CallErrorCase{win32::errorOperationAborted, false, IoStatus::gone},
                    CallErrorCase{win32::errorOperationAborted, true, IoStatus::failed},
                    CallErrorCase{testing_support::errorInvalidParameter, true, IoStatus::failed}));

TEST_F(Win32SerialDeviceTest, PulledAdapterIsGoneForThePortAndComesBackOnReopen) {
    openPort();
    comm.failAt("ReadFile", win32::errorDeviceRemoved);
    port.readByte();
    EXPECT_TRUE(port.noByte());
    EXPECT_TRUE(port.deviceGone());
    EXPECT_EQ(errors, Texts{"Ошибка Read from COM in ReadByte()."});

    port.close();
    EXPECT_EQ(comm.openHandles, 0);
    EXPECT_EQ(port.open(2), link::OpenResult::opened);
    EXPECT_FALSE(port.deviceGone());
}

TEST_F(Win32SerialDeviceTest, CloseGivesTheDriverItsSettingsBackAndReleasesOnce) {
    openPort();
    port.close();
    port.close();
    EXPECT_EQ(comm.calls, kReleased);
    EXPECT_EQ(comm.dcb, kDriverDcb);
    EXPECT_EQ(comm.openHandles, 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Win32SerialDeviceTest, FailedReleaseIsCounted) {
    openPort();
    comm.failAt("CloseHandle", testing_support::errorInvalidHandle);
    port.close();
    EXPECT_EQ(errors, Texts{"Ошибка закрытья COM порта."});
    EXPECT_FALSE(device.isOpen());
}

TEST_F(Win32SerialDeviceTest, ReadsTheDriversSettingsAsTheyAre) {
    ASSERT_TRUE(device.open("COM1"));
    LineSettings found;
    ASSERT_TRUE(device.readLineSettings(found));
    // Parity checked and NUL dropped: not raw; CTS, DSR and DTR handshakes are flow control.
    EXPECT_EQ(found,
              (LineSettings{115200, 7, Parity::even, 2, false, true, true, true, false, false}));
    comm.dcb = {.BaudRate = 9600,
                .fBinary = true,
                .fDtrControl = 1,
                .fRtsControl = 1,
                .ByteSize = 8,
                .Parity = 1,
                .StopBits = 0};
    ASSERT_TRUE(device.readLineSettings(found));
    EXPECT_EQ(found,
              (LineSettings{9600, 8, Parity::odd, 1, true, false, false, false, true, true}));
}

}  // namespace
}  // namespace ecuprobe::platform
