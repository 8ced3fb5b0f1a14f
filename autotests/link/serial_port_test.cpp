#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "link/link_fixture.h"
#include "link/link_probe.h"
#include "platform/wire_trace.h"

namespace ecuprobe::link {
namespace {

using ecuprobe::case_names::PrintTo;

using platform::InMemorySerialDevice;
using testing_support::AdapterPeer;
using testing_support::LinkTest;
using Failure = InMemorySerialDevice::Failure;
using Texts = std::vector<std::string>;

class SerialPortOpen : public LinkTest {};

TEST_F(SerialPortOpen, NumbersOutsideTwoToFiveAreRefusedWithoutCounting) {
    for (int number : {-1, 0, 1, 6, 255}) {
        EXPECT_EQ(link.open(number), OpenResult::badPortNumber) << number;
    }
    EXPECT_EQ(device.openCount, 0);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.errorCount(), 0);
}

TEST_F(SerialPortOpen, NumbersTwoToFiveOpenComOneToFour) {
    for (int number = 2; number <= 5; ++number) {
        const std::string com = "COM" + std::to_string(number - 1);
        ASSERT_EQ(link.open(number), OpenResult::opened) << com;
        EXPECT_EQ(device.openedPath, "/dev/k-line-" + std::to_string(number - 1));
        EXPECT_STREQ(link.portName(), com.c_str());
        EXPECT_EQ(heldDevice(link), &device);
        link.close();
    }
    EXPECT_EQ(link.errorCount(), 0);
}

TEST_F(SerialPortOpen, OpenOnAnOpenPortKeepsThatPort) {
    openPort();
    EXPECT_EQ(link.open(5), OpenResult::opened);
    EXPECT_EQ(device.openCount, 1);
    EXPECT_EQ(device.openedPath, "/dev/k-line-1");
    EXPECT_STREQ(link.portName(), "COM1");
}

TEST_F(SerialPortOpen, AsksForRawNineSixHundredEightNOneWithDtrAndRts) {
    openPort();
    const platform::LineSettings wanted{
        9600, 8, platform::Parity::none, 1, true, false, false, false, true, true};
    EXPECT_EQ(device.lineSettings, wanted);
    EXPECT_EQ(askedLineSettings(link), wanted);
    // 20 ms between bytes, 1 ms per byte plus 20 ms in all.
    EXPECT_EQ(device.timeouts, (platform::ReadTimeouts{20, 1, 20}));
    EXPECT_TRUE(link.isOpen());
}

struct OpenFailureCase {
    Failure step;
    std::uint8_t result;
    const char* text;
    friend void PrintTo(const OpenFailureCase& c, std::ostream* out) { *out << c.text; }
};

class SerialPortOpenFailure : public LinkTest,
                              public testing::WithParamInterface<OpenFailureCase> {};

TEST_P(SerialPortOpenFailure, GivesItsCodeCountsItsTextAndReleasesTheDevice) {
    device.failAt(GetParam().step);
    EXPECT_EQ(static_cast<int>(link.open(3)), GetParam().result);
    EXPECT_EQ(errors, Texts{GetParam().text});
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.portName(), nullptr);
    EXPECT_EQ(heldDevice(link), nullptr);
    EXPECT_FALSE(device.isOpen());

    device.failAt(Failure::none);
    EXPECT_EQ(link.open(3), OpenResult::opened);
    EXPECT_TRUE(link.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SerialPortOpenFailure,
    testing::Values(OpenFailureCase{Failure::open, 2, "Ошибка открытия СОМ."},
                    OpenFailureCase{Failure::readLineSettings, 3, "Ошибка получения DCB."},
                    OpenFailureCase{Failure::readTimeouts, 5, "Ошибка Получения таймаутов СОМ."},
                    OpenFailureCase{Failure::setTimeouts, 6, "Ошибка установки таймаутов СОМ."}));

TEST_F(SerialPortOpen, MissingDeviceGivesTwoAndLeavesThePortClosed) {
    device.missingPaths.push_back("/dev/k-line-2");
    EXPECT_EQ(link.open(3), OpenResult::deviceNotOpened);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.errorCount(), 1);
}

TEST_F(SerialPortOpen, KeepsWhyTheDeviceDidNotOpenUntilAnOpenSucceeds) {
    device.missingPaths.push_back("/dev/k-line-2");
    EXPECT_EQ(link.open(3), OpenResult::deviceNotOpened);
    EXPECT_EQ(link.openFailure().cause, platform::OpenFailureCause::notFound);
    device.failAt(Failure::readLineSettings);
    EXPECT_EQ(link.open(2), OpenResult::lineSettingsUnread);
    EXPECT_EQ(link.openFailure().cause, platform::OpenFailureCause::notTty);
    device.failAt(Failure::none);
    EXPECT_EQ(link.open(2), OpenResult::opened);
    EXPECT_FALSE(link.openFailure().failed());
}

TEST_F(SerialPortOpen, LineSettingsThatDoNotApplyAreCountedAndTheOpenCarriesOn) {
    device.failAt(Failure::applyLineSettings);
    EXPECT_EQ(link.open(2), OpenResult::opened);
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(errors, Texts{"Ошибка установки параметров СОМ (9600bps)."});
}

class SerialPortClose : public LinkTest {};

TEST_F(SerialPortClose, ClosingAClosedPortCountsNothing) {
    link.close();
    openPort();
    link.close();
    link.close();
    EXPECT_EQ(link.errorCount(), 0);
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(heldDevice(link), nullptr);
}

TEST_F(SerialPortClose, FailedReleaseIsCountedAndKeepsTheHandle) {
    openPort();
    device.failAt(Failure::close);
    link.close();
    EXPECT_EQ(errors, Texts{"Ошибка закрытья COM порта."});
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.portName(), nullptr);
    EXPECT_EQ(heldDevice(link), &device);
}

class SerialPortRead : public LinkTest {};

TEST_F(SerialPortRead, NoDataWaitsTwentyOneMillisecondsAndSetsNoByte) {
    openPort();
    link.readByte();
    EXPECT_TRUE(link.noByte());
    EXPECT_EQ(virtualMs(), 21u);
    EXPECT_EQ(link.errorCount(), 0);
}

TEST_F(SerialPortRead, WaitingByteComesAtOnce) {
    openPort();
    const std::uint8_t byte[] = {0x5A};
    peer.arrive(byte);
    EXPECT_EQ(link.readByte(), 0x5A);
    EXPECT_FALSE(link.noByte());
    EXPECT_EQ(virtualMs(), 0u);
}

TEST_F(SerialPortRead, FailedReadCallIsCountedAndSetsNoByte) {
    openPort();
    device.failAt(Failure::readCall);
    EXPECT_EQ(link.readByte(), 0xFF);
    EXPECT_TRUE(link.noByte());
    EXPECT_EQ(errors, Texts{"Ошибка Read from COM in ReadByte()."});
}

TEST_F(SerialPortRead, VanishedDeviceIsCountedAndToldApartFromSilence) {
    openPort();
    link.readByte();
    EXPECT_FALSE(link.deviceGone());
    peer.plugged = false;
    link.readByte();
    EXPECT_TRUE(link.noByte());
    EXPECT_TRUE(link.deviceGone());
    EXPECT_EQ(errors, Texts{"Ошибка Read from COM in ReadByte()."});
    EXPECT_TRUE(link.isOpen());
}

TEST_F(SerialPortRead, ClosedPortFailsEveryReadAtOnce) {
    link.readByte();
    EXPECT_TRUE(link.noByte());
    EXPECT_EQ(link.errorCount(), 1);
    EXPECT_EQ(virtualMs(), 0u);
}

TEST_F(SerialPortRead, ErrorCountWrapsFrom255ToZero) {
    for (int i = 0; i < 255; ++i) {
        link.readByte();
    }
    EXPECT_EQ(link.errorCount(), 255);
    link.readByte();
    EXPECT_EQ(link.errorCount(), 0);
}

struct EchoCase {
    const char* name;
    AdapterPeer::Echo echo;
    Failure failure;
    Texts texts;
    EchoCheck check;
};

class SerialPortEcho : public LinkTest, public testing::WithParamInterface<EchoCase> {};

TEST_P(SerialPortEcho, CountsExactlyTheOneFailureAndKeepsHowTheEchoCame) {
    openPort();
    peer.echo = GetParam().echo;
    device.failAt(GetParam().failure);
    const std::uint8_t frame[] = {0x63, 0x9D, 0x0D};
    link.writeBytes(frame, 3);
    EXPECT_EQ(errors, GetParam().texts);
    EXPECT_EQ(link.lastEcho(), GetParam().check);
    EXPECT_TRUE(link.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SerialPortEcho,
    testing::Values(
        EchoCase{
            "FaithfulEcho", AdapterPeer::Echo::faithful, Failure::none, {}, EchoCheck::matched},
        EchoCase{"EchoOneByteShort",
                 AdapterPeer::Echo::oneShort,
                 Failure::none,
                 {"Ошибка Cant read all bytes from COM in WriteBytes()."},
                 EchoCheck::incomplete},
        EchoCase{"NoEcho",
                 AdapterPeer::Echo::none,
                 Failure::none,
                 {"Ошибка Cant read all bytes from COM in WriteBytes()."},
                 EchoCheck::missing},
        EchoCase{"ChangedEchoByte",
                 AdapterPeer::Echo::changed,
                 Failure::none,
                 {"Ошибка считали не то что писали COM in WriteBytes()."},
                 EchoCheck::differs},
        EchoCase{"EchoReadCallFails",
                 AdapterPeer::Echo::faithful,
                 Failure::readCall,
                 {"Ошибка Read echo from COM in WriteBytes()."},
                 EchoCheck::failed},
        EchoCase{"WriteCallFailsWithNothingSent",
                 AdapterPeer::Echo::faithful,
                 Failure::writeCall,
                 {"Ошибка Cant Write all bytes to COM in WriteBytes()."},
                 EchoCheck::none},
        EchoCase{"WriteCallFailsAfterSendingAll",
                 AdapterPeer::Echo::faithful,
                 Failure::writeCallAfterSending,
                 {"Ошибка Write in COM in WriteBytes()."},
                 EchoCheck::none}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

class SerialPortWrite : public LinkTest {};

TEST_F(SerialPortWrite, EchoIsConsumedSoTheNextReadIsTheAnswer) {
    openPort();
    peer.reply({0x09, 0xF7, 0x0D});
    const std::uint8_t frame[] = {0x01, 0xFF, 0x0D};
    link.writeBytes(frame, 3);
    EXPECT_EQ(link.readByte(), 0x09);
    EXPECT_EQ(link.errorCount(), 0);
    // The 3 ms pause before the echo read, and no more: the echo was complete.
    EXPECT_EQ(virtualMs(), 3u);
}

TEST_F(SerialPortWrite, ShortEchoWaitsItsDeadlineOfCountPlusTwentyMilliseconds) {
    openPort();
    peer.echo = AdapterPeer::Echo::oneShort;
    const std::uint8_t frame[] = {0x01, 0xFF, 0x0D};
    link.writeBytes(frame, 3);
    EXPECT_EQ(virtualMs(), 3u + 3u + 20u);
}

TEST_F(SerialPortWrite, ClosedPortSendsNothingAndCountsTheWrite) {
    const std::uint8_t frame[] = {0x01, 0xFF, 0x0D};
    link.writeBytes(frame, 3);
    EXPECT_TRUE(peer.written.empty());
    EXPECT_EQ(errors, Texts{"Ошибка Cant Write all bytes to COM in WriteBytes()."});
}

TEST_F(SerialPortWrite, TraceLogsWriteEchoAndReceivedBytesWithTimestamps) {
    std::ostringstream log;
    platform::WireTrace trace(log, clock);
    link.setTrace(&trace);
    openPort();
    peer.echo = AdapterPeer::Echo::changed;
    peer.reply({0x09});
    const std::uint8_t frame[] = {0x01, 0xFF, 0x0D};
    link.writeBytes(frame, 3);
    link.readByte();
    EXPECT_EQ(log.str(),
              "         0 TX   01 FF 0D\n"
              "         3 ECHO 01 FF 0C\n"
              "         3 --   Ошибка считали не то что писали COM in WriteBytes().\n"
              "         3 RX   09\n");
}

}  // namespace
}  // namespace ecuprobe::link
