#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/wire_trace.h"

namespace ecuprobe::platform {
namespace {

TEST(WireTrace, AFullDiskShowsAsFailed) {
    FakeClock clock;
    const auto trace = WireTrace::toFile("/dev/full", clock);
    ASSERT_NE(trace, nullptr);
    trace->note("line");
    EXPECT_TRUE(trace->failed());
}

}  // namespace
}  // namespace ecuprobe::platform
