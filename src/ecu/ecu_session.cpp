#include "ecu/ecu_session.h"

#include <algorithm>

#include "ecu/ecu_commands.h"

namespace ecuprobe::ecu {

std::int32_t exchangeBusy = 0;
int chosenPortNumber = 0;
link::FrameExchange* currentLink = nullptr;

namespace {

constexpr int com1PortNumber = 2;
constexpr std::uint8_t typeMikas54 = 9;
constexpr std::uint8_t typeMikas71 = 10;

constexpr std::uint8_t dataSetUnknown = 0xFF;
constexpr std::uint8_t dataSetStandard = 0;
constexpr std::uint8_t dataSetTest = 1;

constexpr auto& controlRegisters = HandBackOutcome::registers;
constexpr std::uint8_t lastControlRegister = regulatorVariable;
static_assert(controlRegisters.front() == outputStateVariable &&
              controlRegisters.back() == lastControlRegister);

}  // namespace

EcuSession::EcuSession() {
    currentLink = &link::processLink();
}

void EcuSession::sleepMs(std::uint32_t ms) {
    currentLink->clock().sleepMs(ms);
}

// Every write passes here, so that no control register the tester takes over
// escapes the account of what it may still hold. A write the ECU would keep
// goes out only while no stop was asked, checked last of all: after the pause
// and whatever answer the service waited for, and after the record is saved,
// which a slow disk may hold up for a long time.
bool EcuSession::exchange(std::span<const std::uint8_t> payload, std::uint16_t timeoutMs) {
    link::FrameExchange& link = *currentLink;
    const bool write = !payload.empty() && payload[0] == writeCommand;
    writeWithheld = false;
    if (write && !keptBeforeWrite(payload)) {
        writeWithheld = true;
        return false;
    }
    link.sendRequest(payload);
    link.setResponseTimeout(timeoutMs);
    link.receiveResponse();
    const bool answered = !link.timedOut();
    if (write) {
        ledger.afterWrite(payload, !answered                 ? WriteReply::unanswered
                                   : link.response()[0] == 0 ? WriteReply::acknowledged
                                                             : WriteReply::refused);
    }
    return answered;
}

bool EcuSession::keptBeforeWrite(std::span<const std::uint8_t> payload) {
    const bool handingBack = handsBackOnly(payload);
    if (!handingBack && stopRequested()) {
        return false;
    }
    if (!ledger.bound()) {
        ledger.bind(portPath());
    }
    ledger.beforeWrite(payload);
    if (!handingBack && stopRequested()) {
        ledger.afterWrite(payload, WriteReply::withheld);
        return false;
    }
    return true;
}

bool EcuSession::exchange(std::initializer_list<std::uint8_t> payload, std::uint16_t timeoutMs) {
    return exchange(std::span<const std::uint8_t>(payload.begin(), payload.size()), timeoutMs);
}

std::span<const std::uint8_t> EcuSession::answerData() const {
    return currentLink->responseData();
}

WriteReply EcuSession::sendWrite(std::span<const std::uint8_t> payload, std::uint16_t timeoutMs) {
    if (!exchange(payload, timeoutMs)) {
        lastWrite = writeWithheld ? WriteReply::withheld : WriteReply::unanswered;
    } else {
        lastWrite =
            currentLink->response()[0] == 0 ? WriteReply::acknowledged : WriteReply::refused;
    }
    return lastWrite;
}

void EcuSession::stopWhen(std::function<bool()> stopped) {
    stopCheck = std::move(stopped);
}

bool EcuSession::stopRequested() const {
    return stopCheck && stopCheck();
}

bool EcuSession::withholdAfterStop() {
    if (!stopRequested()) {
        return false;
    }
    lastWrite = WriteReply::withheld;
    return true;
}

bool EcuSession::writeAcknowledged(std::span<const std::uint8_t> payload) {
    return sendWrite(payload) == WriteReply::acknowledged;
}

ServiceResult EcuSession::connect() {
    if (chosenPortNumber == 0) {
        chosenPortNumber = com1PortNumber;
    }
    if (currentLink->open(chosenPortNumber) != link::OpenResult::opened) {
        return ServiceResult::failed;
    }
    ledger.bind(portPath());
    held.identity.identityRead = 0;
    held.connected = 0;
    resetState();
    setStatusText("Соединияемся...");
    sleepMs(100);
    identifyEcuType();
    checkLink();
    readLiveData();
    readFaults();
    return ServiceResult::done;
}

EcuTypeTexts ecuTypeTexts(std::uint8_t typeByte) {
    switch (typeByte) {
        case typeMikas54:
            return {"ЭБУ Микас 5.4. ", "Микас 5.4"};
        case typeMikas71:
            return {"ЭБУ Микас 7.1. ", "Микас 7.1"};
        default:
            return {"Неизвестный ЭБУ. ", "Микас ?.?"};
    }
}

bool isEcuTypeStatus(std::string_view statusText) {
    for (const std::uint8_t typeByte : {typeMikas54, typeMikas71, std::uint8_t{0}}) {
        if (statusText == ecuTypeTexts(typeByte).statusText) {
            return true;
        }
    }
    return false;
}

ServiceResult EcuSession::identifyEcuType() {
    // Asked while the ECU did not answer: whatever it acknowledged holding
    // before may have ended with its silence (the ignition off).
    ledger.forgetConfirmations();
    typeAnswered = exchange({identifyCommand});
    if (typeAnswered) {
        held.connected = 1;
        const EcuTypeTexts type = ecuTypeTexts(currentLink->response()[0]);
        held.statusText = type.statusText;
        held.identity.ecuName = type.name;
        payOwedControls();
    } else {
        held.connected = 0;
    }
    selectStandardDataSet();
    // An ECU that missed the type request but takes the data-set selection is
    // connected all the same: it is paid as soon as it answers.
    if (!typeAnswered && held.connected != 0) {
        payOwedControls();
    }
    return held.connected != 0 ? ServiceResult::done : ServiceResult::failed;
}

ServiceResult EcuSession::selectStandardDataSet() {
    // The standard data set is THR (0x20) alone.
    const bool answered = exchange({selectDataSetCommand, 0x20});
    held.dataSetState = dataSetStandard;
    held.connected = answered ? 1 : 0;
    sleepMs(50);
    return ServiceResult::done;
}

ServiceResult EcuSession::checkLink() {
    if (held.samplingActive != 0) {
        return ServiceResult::done;
    }
    if (held.dataSetState != dataSetStandard) {
        selectStandardDataSet();
    }
    if (readSelectedDataSet()) {
        return ServiceResult::done;
    }
    held.connected = 0;
    return ServiceResult::failed;
}

ReadResult EcuSession::selectTestDataSet() {
    if (held.connected == 0) {
        return ReadResult::failed;
    }
    held.samplingActive = 1;
    sleepMs(50);
    // Answer to 0x63 afterwards: TWAT, FREQ, JAIR (2 bytes), JQT (2 bytes), SPD.
    held.testPositions = {0, 1, 2, 4, 6};
    const bool answered = exchange({selectDataSetCommand, 0x1A, 0x29, 0x21, 0x40, 0x60});
    sleepMs(50);
    held.dataSetState = dataSetTest;
    if (!answered) {
        held.liveData.slowCountdown = 0;
        return ReadResult::failed;
    }
    return ReadResult::read;
}

void EcuSession::clearControlCopies() {
    held.injectorCut = 0;
    held.outputState = 0;
    held.outputOverride = 0;
    held.regulatorControl = 0;
    held.overrideFlags0B = 0;
    held.overrideFlags0C = 0;
}

bool EcuSession::releaseRegister(std::uint8_t reg) {
    const std::array<std::uint8_t, 3> payload{writeCommand, reg, 0x00};
    if (writeAcknowledged(payload)) {
        return true;
    }
    if (reg != lastControlRegister) {
        sleepMs(100);
    }
    return writeAcknowledged(payload);
}

void EcuSession::releaseControls() {
    if (held.connected == 0) {
        releasing = true;
        identifyEcuType();
        releasing = false;
    }
    clearControlCopies();
    held.liveData.airConditionerOn = 0;
    held.liveData.slowCountdown = 0;
    const ExchangeBusyGuard busy;
    sleepMs(200);
    handBack = HandBackOutcome{};
    handBack.attempted = true;
    for (std::size_t i = 0; i < controlRegisters.size(); ++i) {
        if (i != 0) {
            sleepMs(100);
        }
        handBack.acknowledged[i] = releaseRegister(controlRegisters[i]);
    }
    handBack.stillOwed = ledger.owed();
}

void EcuSession::resetState() {
    held.connected = 0;
    held.identity.identityRead = 0;
    held.identity.clearTexts();
    held.identity.hasSpeedSensor = 0;
    held.identity.equipmentRead = false;
    held.lambdaProbe = 1;
    held.dataSetState = dataSetUnknown;
    held.samplingActive = 0;
    held.statusText = lostLinkStatus;
    held.liveData.resetKeepingLastReadings();
    held.faultCount = 0;
    storedFaultCount = 0;
    faultsAnswered = false;
    held.faults.fill(FaultCode{});
    clearControlCopies();
    held.injectorOn.fill(1);
}

void EcuSession::disconnect() {
    releaseControls();
    sleepMs(100);
    held.connected = 0;
    resetState();
    sleepMs(200);
    currentLink->close();
    held.identity.identityRead = 0;
    held.faultCount = 0;
    storedFaultCount = 0;
}

OwedControls EcuSession::confirmedControls() const {
    return held.connected != 0 ? ledger.confirmed() : OwedControls{};
}

void EcuSession::closePort() {
    resetState();
    currentLink->close();
}

void EcuSession::setStatusText(std::string_view text) {
    held.statusText = text;
}

void EcuSession::setLambdaProbe(std::int32_t flag) {
    held.lambdaProbe = flag;
}

void EcuSession::markDisconnected() {
    held.connected = 0;
}

void EcuSession::setSamplingActive(bool active) {
    held.samplingActive = active ? 1 : 0;
}

void EcuSession::readSlowGroupNext() {
    held.liveData.slowCountdown = 0;
}

platform::Clock& EcuSession::clock() const {
    return currentLink->clock();
}

std::uint32_t EcuSession::tickMs() const {
    return clock().tickMs();
}

bool EcuSession::portOpen() const {
    return currentLink->isOpen();
}

bool EcuSession::echoSkipped() const {
    return currentLink->noEcho();
}

bool EcuSession::readSelectedDataSet() {
    return exchange({readDataSetCommand});
}

std::span<const std::uint8_t> EcuSession::lastAnswer() const {
    return currentLink->response();
}

bool EcuSession::lastRequestAnswered() const {
    return !currentLink->timedOut();
}

const platform::OpenFailure& EcuSession::openFailure() const {
    return currentLink->openFailure();
}

SilenceCause EcuSession::silenceCause() const {
    if (currentLink->deviceGone()) {
        return SilenceCause::deviceGone;
    }
    const std::optional<link::EchoVerdict> echo = currentLink->lastEchoVerdict();
    if (!echo) {
        return SilenceCause::ecuSilent;
    }
    switch (*echo) {
        case link::EchoVerdict::nothing:
        case link::EchoVerdict::partial:
            return SilenceCause::noEcho;
        case link::EchoVerdict::answerInPlace:
            return SilenceCause::adapterWithoutEcho;
        case link::EchoVerdict::changed:
            return SilenceCause::lineNoise;
        case link::EchoVerdict::echoed:
            break;
    }
    return currentLink->lastReceiveFlooded() ? SilenceCause::lineNoise : SilenceCause::ecuSilent;
}

}  // namespace ecuprobe::ecu
