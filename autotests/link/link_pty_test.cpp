#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/device_attachment.h"
#include "platform/pty_pair.h"

// The one process-wide link on a real pseudo-terminal through DeviceAttachment; the
// test plays the echoing adapter and the ECU on the master side. These wait for
// real, with generous deadlines so that a busy machine cannot make them flaky.
namespace ecuprobe::link {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;
using platform::testing_support::PtyPair;

// Payload 0D 0A 11 13 00 40: CR, LF, XON, XOFF, NUL and the escape byte.
const Bytes kPayload{0x0D, 0x0A, 0x11, 0x13, 0x00, 0x40};
// Its frame, both as the request and as the answer: escaped, checksum, terminator.
const Bytes kFrame{0x40, 0xCD, 0x0A, 0x11, 0x13, 0x00, 0x40, 0x00, 0x85, 0x0D};

class LinkOverPty : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ready());
        char name[] = "/tmp/ecuprobe-wire-XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        ::close(fd);
        tracePath = name;
        ports.setPath(0, pty.slavePath);
        ports.setPath(1, "/dev/ecuprobe-no-such-device");
        processLink().setErrorObserver(
            [this](std::string_view text) { errors.emplace_back(text); });
    }

    void TearDown() override {
        processLink().setErrorObserver({});
        processLink().setByteTimeout(20);
        ::unlink(tracePath.c_str());
    }

    std::string traceText() const {
        std::ifstream in(tracePath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    PtyPair pty;
    platform::PortMap ports;
    std::string tracePath;
    Texts errors;
};

// Counted on every open as the settings failure it is, but said once in the trace,
// as what it is: a reconnecting poll must not fill the trace with line errors.
TEST_F(LinkOverPty, OpenCountsTheMissingModemLinesAndNotesThemOnce) {
    DeviceAttachment attachment(ports, tracePath);
    for (int open = 0; open < 3; ++open) {
        EXPECT_EQ(attachment.link().open(2), OpenResult::opened);
        EXPECT_TRUE(attachment.link().isOpen());
        attachment.link().close();
    }
    EXPECT_EQ(errors, Texts(3, "Ошибка установки параметров СОМ (9600bps)."));
    const std::string trace = traceText();
    EXPECT_EQ(trace.find("Ошибка"), std::string::npos) << trace;
    const std::string note = "a pseudo-terminal: it has no modem lines";
    const std::size_t noted = trace.find(note);
    EXPECT_NE(noted, std::string::npos) << trace;
    EXPECT_EQ(trace.find(note, noted + 1), std::string::npos) << trace;
}

TEST_F(LinkOverPty, FrameWithControlBytesCrossesUnchangedBothWays) {
    DeviceAttachment attachment(ports, tracePath);
    FrameExchange& link = attachment.link();
    // Room for a loaded machine to schedule the adapter thread before the echo deadline.
    link.setByteTimeout(1000);
    ASSERT_EQ(link.open(2), OpenResult::opened);
    Bytes seen;
    std::thread adapter([&] {
        seen = pty.receive(kFrame.size());
        pty.send(seen);
        pty.send(kFrame);
    });
    EXPECT_EQ(link.sendRequest(kPayload), 0);
    link.setResponseTimeout(2000);
    link.receiveResponse();
    adapter.join();

    EXPECT_EQ(seen, kFrame);
    EXPECT_FALSE(link.timedOut());
    const Bytes answer(link.response().begin(), link.response().begin() + 9);
    EXPECT_EQ(answer, (Bytes{0x0D, 0x0A, 0x11, 0x13, 0x00, 0x40, 0x85, 0x0D, 0x00}));
    EXPECT_EQ(errors, Texts{"Ошибка установки параметров СОМ (9600bps)."});
    const std::string trace = traceText();
    EXPECT_NE(trace.find("TX   40 CD 0A 11 13 00 40 00 85 0D\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("ECHO 40 CD 0A 11 13 00 40 00 85 0D\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("RX   85\n"), std::string::npos) << trace;
}

TEST_F(LinkOverPty, MissingDeviceGivesTwo) {
    DeviceAttachment attachment(ports, tracePath);
    EXPECT_EQ(attachment.link().open(3), OpenResult::deviceNotOpened);
    EXPECT_EQ(errors, Texts{"Ошибка открытия СОМ."});
}

TEST_F(LinkOverPty, SecondLinkOnTheOpenDeviceGivesTwo) {
    DeviceAttachment attachment(ports, tracePath);
    ASSERT_EQ(attachment.link().open(2), OpenResult::opened);
    platform::RealClock clock;
    platform::PosixSerialDevice device;
    FrameExchange second;
    second.attach(device, clock, ports);
    EXPECT_EQ(second.open(2), OpenResult::deviceNotOpened);
}

TEST_F(LinkOverPty, VanishedAdapterIsToldApartFromASilentOne) {
    DeviceAttachment attachment(ports, tracePath);
    FrameExchange& link = attachment.link();
    ASSERT_EQ(link.open(2), OpenResult::opened);
    link.readByte();
    EXPECT_TRUE(link.noByte());
    EXPECT_FALSE(link.deviceGone());
    pty.closeMaster();
    link.readByte();
    EXPECT_TRUE(link.noByte());
    EXPECT_TRUE(link.deviceGone());
    EXPECT_EQ(errors.back(), "Ошибка Read from COM in ReadByte().");
}

TEST_F(LinkOverPty, TracingIsOffUnlessAskedFor) {
    unsetenv("ECUPROBE_TRACE");
    const DeviceAttachment quiet(ports);
    EXPECT_FALSE(quiet.tracing());
}

TEST_F(LinkOverPty, WiringClosesAndDetachesTheLinkWhenItGoes) {
    {
        DeviceAttachment attachment(ports, tracePath);
        ASSERT_EQ(attachment.link().open(2), OpenResult::opened);
        EXPECT_TRUE(attachment.tracing());
    }
    EXPECT_FALSE(processLink().isOpen());
    EXPECT_EQ(processLink().open(2), OpenResult::deviceNotOpened);  // no device attached any more
    platform::PosixSerialDevice device;
    EXPECT_TRUE(device.open(pty.slavePath));
}

}  // namespace
}  // namespace ecuprobe::link
