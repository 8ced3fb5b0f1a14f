#pragma once

#include <QObject>

class QSocketNotifier;

namespace ecuprobe::app {

// SIGTERM, SIGINT, SIGHUP and every other signal that would end the process
// (line::outsideStopSignals()) delivered as a Qt signal on the GUI thread, so
// that a stop from outside closes the window the ordinary way: control is handed
// back before the port closes. A second Ctrl-C leaves at once, as in the
// terminal tester. One instance per process.
class StopSignalNotifier final : public QObject {
    Q_OBJECT

public:
    explicit StopSignalNotifier(QObject* parent = nullptr);
    ~StopSignalNotifier() override;

    // The signal that asked to stop, 0 while none did.
    static int signalNumber();

signals:
    void stopRequested(int signal);

private:
    void readSignal();

    QSocketNotifier* notifier = nullptr;
};

}  // namespace ecuprobe::app
