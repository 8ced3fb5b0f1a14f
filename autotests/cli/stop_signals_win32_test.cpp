#include "cli/stop_signals_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "cli/stop_signals.h"

// The console's control handler, called as Windows calls it on a thread of its own.
namespace ecuprobe::cli {
namespace {

class ConsoleStopEvents : public testing::Test {
protected:
    // Nothing asked to stop once a test is over.
    void TearDown() override { const StopSignals cleared; }
};

TEST_F(ConsoleStopEvents, EachEventIsKeptAsItsSignalAndOnlyCtrlCCanBeForgotten) {
    const struct {
        DWORD event;
        int number;
        bool forgettable;
    } cases[] = {{CTRL_C_EVENT, 2, true},
                 {CTRL_BREAK_EVENT, 21, false},
                 {CTRL_CLOSE_EVENT, 1, false},
                 {CTRL_LOGOFF_EVENT, 1, false},
                 {CTRL_SHUTDOWN_EVENT, 1, false}};
    for (const auto& c : cases) {
        std::optional<StopSignals> signals(std::in_place);
        if (c.number == 1) {
            // Handed back already: a closing console's handler returns at once.
            signals.reset();
        }
        EXPECT_EQ(handleConsoleEvent(c.event), TRUE) << c.event;
        EXPECT_TRUE(StopSignals::requested()) << c.event;
        EXPECT_EQ(StopSignals::signalNumber(), c.number) << c.event;
        EXPECT_EQ(StopSignals::forgetInterrupt(), c.forgettable) << c.event;
    }
}

TEST_F(ConsoleStopEvents, ASecondEventKeepsTheFirstAndAnUnknownOneIsNotHandled) {
    const StopSignals signals;
    EXPECT_EQ(handleConsoleEvent(CTRL_BREAK_EVENT), TRUE);
    EXPECT_EQ(handleConsoleEvent(CTRL_C_EVENT), TRUE);
    EXPECT_EQ(StopSignals::signalNumber(), 21);
    EXPECT_EQ(handleConsoleEvent(7), FALSE);
    EXPECT_EQ(StopSignals::signalNumber(), 21);
}

// Windows ends the process as soon as the close handler returns: it must not
// return before the command has handed every control back.
TEST_F(ConsoleStopEvents, AClosingConsoleWaitsUntilTheCommandHasHandedBack) {
    std::optional<StopSignals> signals(std::in_place);
    std::atomic<bool> returned{false};
    std::thread console([&returned] {
        handleConsoleEvent(CTRL_CLOSE_EVENT);
        returned = true;
    });
    while (!StopSignals::requested()) {
        std::this_thread::yield();
    }
    const bool returnedBeforeHandBack = returned;
    signals.reset();
    console.join();
    EXPECT_FALSE(returnedBeforeHandBack);
    EXPECT_TRUE(returned);
}

}  // namespace
}  // namespace ecuprobe::cli
