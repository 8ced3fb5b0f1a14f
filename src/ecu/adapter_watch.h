#pragma once

#include <string>

#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

// Follows a USB adapter that is pulled out and plugged in again, for the poll
// loops (the console's timer, the command-line loops), so that no restart is
// needed. Once an exchange has found the device gone, its port is let go (a
// replugged adapter gets its old node back only when nobody holds it) and the
// session kept disconnected. Each later tick only looks whether the same path is
// there again, without opening it: nothing is sent, counted or traced while it is
// not. When it is, the port is opened again, and the next tick identifies the ECU
// as the poll does after any lost link. While the device is present the poll's
// requests are left exactly as they are.
class AdapterWatch {
public:
    enum class Check {
        poll,  // the device is there: the tick goes on as usual
        gone,  // the device has gone and is not back: the tick sends nothing
        back,  // the device has just been opened again: the tick sends nothing
    };

    explicit AdapterWatch(EcuSession& ecuSession) : session(ecuSession) {}

    // At the start of each poll tick. While a service holds the line
    // (exchangeBusy) the port is left alone: the service's exchanges fail at once
    // on a gone device and end it as a lost link; the port is let go afterwards.
    Check beforeTick();
    bool deviceGone() const { return gone; }
    // The path of the device while it is gone, empty otherwise.
    const std::string& gonePath() const { return path; }
    // The port number (2..5) watched while the device is gone.
    int portNumber() const { return watchedPort; }
    // Stops watching: the person has started on another port.
    void forget();

private:
    void letGo();

    EcuSession& session;
    bool gone = false;
    int watchedPort = 0;
    std::string path;
};

}  // namespace ecuprobe::ecu
