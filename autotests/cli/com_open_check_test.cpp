#include "cli/com_open_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_win32_comm.h"

// Why a COM port would not open, told from the Win32 calls, which are faked.
namespace ecuprobe::cli {
namespace {

using platform::testing_support::FakeWin32Comm;
using Texts = std::vector<std::string>;

TEST(ComOpenCheck, TellsWhyCreateFileRefusedThePort) {
    const struct {
        std::uint32_t error;
        const char* reason;
    } cases[] = {
        {2, "no such device"},
        {3, "no such device"},
        {5, "busy: another program holds it"},
        {32, "busy: another program holds it"},
        {1167, "the device is not connected"},
        {1617, "the device is not connected"},
        {87, "Windows error 87"},
    };
    for (const auto& c : cases) {
        FakeWin32Comm comm;
        comm.failAt("CreateFileA", c.error);
        EXPECT_EQ(describeComOpenFailure("\\\\.\\COM5", comm), c.reason) << c.error;
        EXPECT_EQ(comm.calls, Texts{"CreateFileA"}) << c.error;
    }
}

// Opened exclusively, as the tester opens it: a shared open could succeed on a
// port that another program holds, and the reason would be wrong.
TEST(ComOpenCheck, LooksAtThePortAsTheTesterOpensItAndReleasesIt) {
    FakeWin32Comm comm;
    EXPECT_EQ(describeComOpenFailure("\\\\.\\COM12", comm),
              "the line could not be set up (9600 8N1, raw)");
    EXPECT_EQ(comm.created.path, "\\\\.\\COM12");
    EXPECT_EQ(comm.created.access, 0xC0000000u);
    EXPECT_EQ(comm.created.shareMode, 0u);
    EXPECT_EQ(comm.created.creation, 3u);
    EXPECT_EQ(comm.calls, (Texts{"CreateFileA", "GetCommState", "CloseHandle"}));
    EXPECT_EQ(comm.openHandles, 0);
}

TEST(ComOpenCheck, ADeviceWithoutALineStateIsNoSerialPort) {
    FakeWin32Comm comm;
    comm.failAt("GetCommState", 1);
    EXPECT_EQ(describeComOpenFailure("\\\\.\\NUL", comm), "not a serial device");
    EXPECT_EQ(comm.openHandles, 0);
}

}  // namespace
}  // namespace ecuprobe::cli
