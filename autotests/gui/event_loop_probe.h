#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace ecuprobe::gui_testing {

// Measures how long the GUI thread's event loop goes without turning: a timer
// that asks to fire every millisecond records the longest time between firings.
class EventLoopProbe {
public:
    EventLoopProbe() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, &timer,
                         [this] { longest = std::max(longest, sinceLast.restart()); });
    }

    void start() {
        longest = 0;
        sinceLast.start();
        timer.start();
    }
    void stop() { timer.stop(); }
    // The longest gap so far, in ms.
    qint64 longestGapMs() const { return longest; }

private:
    QTimer timer;
    QElapsedTimer sinceLast;
    qint64 longest = 0;
};

}  // namespace ecuprobe::gui_testing
