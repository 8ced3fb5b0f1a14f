#include "ecu/adapter_watch.h"

namespace ecuprobe::ecu {

namespace {

constexpr int com1PortNumber = 2;

}  // namespace

void AdapterWatch::letGo() {
    link::FrameExchange& link = *currentLink;
    watchedPort = chosenPortNumber != 0 ? chosenPortNumber : com1PortNumber;
    path = link.devicePath(watchedPort);
    link.close();
    gone = true;
}

void AdapterWatch::forget() {
    gone = false;
    watchedPort = 0;
    path.clear();
}

AdapterWatch::Check AdapterWatch::beforeTick() {
    link::FrameExchange& link = *currentLink;
    if (exchangeBusy != 0) {
        return gone ? Check::gone : Check::poll;
    }
    if (!gone) {
        if (!link.isOpen() || !link.deviceGone()) {
            return Check::poll;
        }
        letGo();
    }
    session.markDisconnected();
    if (!link.deviceExists(watchedPort) || link.open(watchedPort) != link::OpenResult::opened) {
        return Check::gone;
    }
    gone = false;
    path.clear();
    return Check::back;
}

}  // namespace ecuprobe::ecu
