#include <gtest/gtest.h>

#include "cli/stop_signals.h"
#include "terminating_signals.h"

namespace ecuprobe::cli {
namespace {

// Raised for real: a signal the tester did not take would end this test program.
TEST(StopSignals, EverySignalThatWouldEndTheProgramAsksTheCommandToStop) {
    for (const int signal : ecuprobe::testing_support::terminatingSignals()) {
        const StopSignals signals;
        ::raise(signal);
        EXPECT_EQ(StopSignals::signalNumber(), signal)
            << ecuprobe::testing_support::signalName(signal);
    }
    struct sigaction after {};
    sigaction(SIGXFSZ, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL) << "the previous action is put back";
}

}  // namespace
}  // namespace ecuprobe::cli
