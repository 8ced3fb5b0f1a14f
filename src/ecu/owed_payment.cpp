#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"
#include "ecu/owed_store.h"

namespace ecuprobe::ecu {

namespace {

constexpr int com1PortNumber = 2;

// The copy the session keeps of each control register, in hand-back order.
constexpr std::array<std::uint8_t SessionState::*, OwedControls::registers.size()> copies{
    &SessionState::outputState,     &SessionState::outputOverride, &SessionState::overrideFlags0B,
    &SessionState::overrideFlags0C, &SessionState::injectorCut,    &SessionState::regulatorControl};

}  // namespace

std::string EcuSession::portPath() const {
    return currentLink->devicePath(chosenPortNumber != 0 ? chosenPortNumber : com1PortNumber);
}

OwedControls EcuSession::owedOnChosenPort() const {
    return owedStore().peek(portPath());
}

// The pauses, order and repeat of releaseControls(), for the owed registers
// only; nothing within releaseControls(), which hands back every register itself.
void EcuSession::payOwedControls() {
    const OwedControls owing = ledger.owed();
    if (releasing || owing.empty()) {
        return;
    }
    {
        // A poll tick may pay in the middle of a service that holds the line while
        // it asks a question: the guard leaves the flag as that service set it.
        const ExchangeBusyGuard busy;
        sleepMs(200);
        bool first = true;
        for (std::size_t i = 0; i < owing.registers.size(); ++i) {
            if (owing.held[i] == 0) {
                continue;
            }
            if (!first) {
                sleepMs(100);
            }
            first = false;
            releaseRegister(owing.registers[i]);
        }
    }
    OwedControls returned;
    for (std::size_t i = 0; i < owing.held.size(); ++i) {
        returned.held[i] = ledger.owed().held[i] == 0 ? owing.held[i] : std::uint8_t{0};
    }
    forgetCopiesOf(returned);
    held.liveData.slowCountdown = 0;
    held.statusText = owedPaymentText(owing, ledger.owed());
    ledger.tell(held.statusText);
}

void EcuSession::forgetCopiesOf(const OwedControls& returned) {
    for (std::size_t i = 0; i < returned.held.size(); ++i) {
        if (returned.held[i] != 0) {
            held.*copies[i] = 0;
        }
    }
    if (returned.heldIn(injectorCutVariable) != 0) {
        held.injectorOn.fill(1);
    }
}

}  // namespace ecuprobe::ecu
