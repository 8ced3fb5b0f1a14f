#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

// One whole-byte command to 0x0E; unlike a parameter write, only an answer with
// first byte 0 counts as done, and a missing one is a failure. One withheld
// after a stop is no failure of the ECU: its text is not recorded.
ServiceResult EcuSession::clearAdaptation(std::uint8_t command, std::string_view failureText) {
    bool acknowledged = false;
    {
        const ExchangeBusyGuard busy;
        sleepMs(100);
        if (withholdAfterStop()) {
            return ServiceResult::failed;
        }
        acknowledged = writeAcknowledged(std::array{writeCommand, regulatorVariable, command});
    }
    if (acknowledged || lastWrite == WriteReply::withheld) {
        return acknowledged ? ServiceResult::done : ServiceResult::failed;
    }
    setStatusText(failureText);
    return ServiceResult::failed;
}

ServiceResult EcuSession::clearLambdaAdaptation() {
    const ServiceResult result = clearAdaptation(clearLambdaAdaptationValue, "Ош.очист.L-зонда.");
    held.liveData.slowCountdown = 0;
    return result;
}

ServiceResult EcuSession::clearKnockAdaptation() {
    return clearAdaptation(clearKnockAdaptationValue, "Ош.очист.датч.детон.");
}

}  // namespace ecuprobe::ecu
