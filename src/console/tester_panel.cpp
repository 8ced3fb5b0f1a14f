#include "console/tester_panel.h"

#include <algorithm>
#include <iterator>

#include "console/panel_period.h"
#include "console/panel_switches.h"
#include "reports/measured_report.h"

namespace ecuprobe::console {

namespace {

constexpr int com1PortNumber = 2;
constexpr std::uint32_t pauseBeforeFirstRefreshMs = 100;
// Faults and output boxes are read on every third tick.
constexpr std::uint8_t ticksPerSlowRefresh = 3;

}  // namespace

TesterPanel::TesterPanel(PanelTimer& pollTimer, reports::UserPrompts& userPrompts)
    : timer(pollTimer), prompts(userPrompts) {
    ecu::chosenPortNumber = 0;
    // A new console starts with its poll free, whatever an earlier one left.
    ecu::exchangeBusy = 0;
    shown.enabled = {control::start, control::comPort, control::period, control::periodUpDown,
                     control::lambdaProbe};
    showFields();
}

TesterPanel::~TesterPanel() {
    onDestroy();
}

std::string TesterPanel::onStart() {
    leaveEarlierStart();
    tickCount = 0;
    setEnabled(control::comPort, false);
    if (ecu::chosenPortNumber == 0) {
        ecu::chosenPortNumber = com1PortNumber;
        shown.comSelection = 0;
    }
    started = 1;
    // A start begins a new connection: nothing holds the line yet.
    ecu::exchangeBusy = 0;
    reports::currentDumpPath.clear();
    session.connect();
    portFailure = session.openFailure();
    if (!session.portOpen()) {
        return portNotOpened();
    }
    startedPort = ecu::chosenPortNumber;
    fields.lambdaProbe = session.lambdaProbe();
    showPortChoice(session.connected() == 0);
    fields.statusText = sessionStatus();
    showFields();
    if (session.connected() != 0) {
        enableControls();
    }
    std::string message = readFields();
    session.sleepMs(pauseBeforeFirstRefreshMs);
    // refreshActuatorBoxes() sets the injector, coil and air-conditioner boxes
    // from the session with every other switch box.
    refreshActuatorBoxes();
    refreshLiveValues();
    refreshFaults();
    showFields();
    timerId = 1;
    periodMs = periodMsFor(fields.period);
    startTimer();
    showRelease();
    return message;
}

// A port that did not open is no dead end: another can be chosen and "Начать"
// pressed again; there is nothing to poll or hand back until then.
std::string TesterPanel::portNotOpened() {
    started = 0;
    setEnabled(control::comPort, true);
    return readFields();
}

// "Начать" again while the ECU does not answer or the adapter is gone: the poll
// ends and the port is let go, the new start opens the port chosen now with the
// adapter settings of now. Nothing is handed back to an ECU that does not
// answer: what is owed stays owed to the next connection.
void TesterPanel::leaveEarlierStart() {
    if (started == 0) {
        return;
    }
    if (timerHandle != 0) {
        timer.stop(timerHandle);
    }
    timerHandle = 0;
    adapter.forget();
    session.closePort();
}

void TesterPanel::startTimer() {
    timerHandle = timer.start(timerId, periodMs, [this] { onTick(); });
}

void TesterPanel::onTick() {
    const ecu::AdapterWatch::Check check = adapter.beforeTick();
    if (check != ecu::AdapterWatch::Check::poll) {
        showPortChoice(true);
        if (controlsEnabled != 0) {
            disableControls();
        }
        fields.statusText = sessionStatus();
        showFields();
        return;
    }
    if (session.connected() == 0) {
        session.identifyEcuType();
        if (session.connected() != 0) {
            enableControls();
        }
        showRelease();
        tickCount = ticksPerSlowRefresh;
    }
    session.checkLink();
    showPortChoice(session.connected() == 0);
    if (ecu::exchangeBusy != 0) {
        return;
    }
    refreshLiveValues();
    if (tickCount >= ticksPerSlowRefresh) {
        fields.statusText = sessionStatus();
        showFields();
        tickCount = 0;
        refreshFaults();
        refreshActuatorBoxes();
    }
    ++tickCount;
    if (session.connected() == 0) {
        fields.statusText = sessionStatus();
    }
    showFields();
    if (session.connected() != 0 && controlsEnabled == 0) {
        enableControls();
    } else if (session.connected() == 0 && controlsEnabled != 0) {
        disableControls();
    }
}

// While the ECU does not answer or the adapter is gone, another port or adapter
// setting may be chosen and "Начать" pressed again, as after a port that did not
// open; once the ECU answers, the console goes on with the port it has.
void TesterPanel::showPortChoice(bool choosing) {
    if (choosing == shown.isEnabled(control::start)) {
        return;
    }
    setEnabled(control::comPort, choosing);
    setEnabled(control::start, choosing);
    if (!choosing) {
        ecu::chosenPortNumber = startedPort;
        shown.comSelection = startedPort - com1PortNumber;
    }
}

bool TesterPanel::onComSelected(int index) {
    if (!shown.isEnabled(control::comPort) || index < 0 ||
        index >= static_cast<int>(std::size(comPortEntries))) {
        return false;
    }
    ecu::chosenPortNumber = index + com1PortNumber;
    shown.comSelection = index;
    return true;
}

void TesterPanel::onPeriodChanged(std::int32_t upDownPosition) {
    // The up-down control offers 0..4 only; a view that passes more cannot make
    // the period negative or long.
    fields.period = std::clamp(upDownPosition, periodEntryMin, periodEntryMax);
    if (fields.period > periodLimit) {
        fields.period = periodLimit;
    }
    shown.periodUpDown = fields.period;
    shown.texts[control::period] = std::to_string(fields.period);
    if (timerHandle != 0) {
        periodMs = periodMsFor(fields.period);
        timer.stop(timerHandle);
        startTimer();
    }
}

std::string TesterPanel::enterPeriod(std::string_view text) {
    shown.texts[control::period] = std::string(text);
    std::string message = readFields();
    if (message.empty()) {
        onPeriodChanged(fields.period);
    } else {
        shown.texts[control::period] = std::to_string(fields.period);
    }
    return message;
}

std::string TesterPanel::readFields() {
    const PeriodEntry entry = readPeriodEntry(shown.text(control::period));
    if (entry.value) {
        fields.period = *entry.value;
    }
    return entry.message;
}

void TesterPanel::showFields() {
    console::showFields(fields, shown);
}

void TesterPanel::onDestroy() {
    if (started != 0) {
        if (timerHandle != 0) {
            timer.stop(timerHandle);
        }
        timerHandle = 0;
        session.disconnect();
    }
    started = 0;
}

void TesterPanel::abandon() {
    if (timerHandle != 0) {
        timer.stop(timerHandle);
    }
    timerHandle = 0;
    started = 0;
}

void TesterPanel::refreshLiveValues() {
    if (session.readLiveData() != ecu::ReadResult::read) {
        // When the live request itself found the ECU gone, the session has just
        // set "*** Нет связи"; shown only on a later third tick it would come
        // late, or never when the ECU answers the next type request at once.
        fields.statusText = sessionStatus();
        return;
    }
    copyLiveValues();
    if (session.lambdaProbe() != fields.lambdaProbe) {
        fields.lambdaProbe = session.lambdaProbe();
        refreshEnabledControls();
    }
}

void TesterPanel::copyLiveValues() {
    ++liveReads;
    fields.statusText = sessionStatus();
    fields.live = session.liveData();
    for (const SwitchControl& row : switchTable()) {
        if (row.kind == SwitchKind::output) {
            fields.*row.state = row.recorded(session);
        }
    }
}

void TesterPanel::refreshFaults() {
    session.readFaults();
    // The count byte as it came; a count with bit 7 set lists no entries, and
    // showing it sign-extended as an unsigned number would be meaningless.
    fields.faultCount = static_cast<std::uint8_t>(session.faultCount());
    session.faultListShort(fields.faultText);
}

void TesterPanel::refreshActuatorBoxes() {
    for (const SwitchControl& row : switchTable()) {
        if (row.recorded != nullptr) {
            fields.*row.state = row.recorded(session);
        }
    }
    showSwitchMarks(fields, shown);
}

void TesterPanel::disableControls() {
    controlsEnabled = 0;
    for (const ControlId id : commandControls()) {
        setEnabled(id, false);
    }
}

void TesterPanel::enableControls() {
    controlsEnabled = 1;
    for (const ControlId id : commandControls()) {
        setEnabled(id, !needsLambdaProbe(id) || fields.lambdaProbe == 1);
    }
    showRelease();
}

void TesterPanel::refreshEnabledControls() {
    disableControls();
    if (session.connected() == 1) {
        enableControls();
    }
}

void TesterPanel::showRelease() {
    setEnabled(control::releaseControls, !session.owedControls().empty());
}

void TesterPanel::setEnabled(ControlId id, bool enabled) {
    if (enabled) {
        shown.enabled.insert(id);
    } else {
        shown.enabled.erase(id);
    }
}

void TesterPanel::setChecked(ControlId id, std::int32_t state) {
    shown.checked[id] = state != 0;
}

// After a silence the session keeps the ECU type as its status: beside a link
// that is down it would claim a connection there is not.
std::string TesterPanel::sessionStatus() const {
    const std::string& text = session.statusText();
    if (session.connected() == 0 && ecu::isEcuTypeStatus(text)) {
        return std::string(ecu::lostLinkStatus);
    }
    return text;
}

// What an earlier run left owed on the chosen port is paid at the next
// connection; until then the person sees what it may be, and where.
void TesterPanel::showOwedBeforeStart(PanelSnapshot& copy) const {
    const ecu::OwedControls waiting = session.owedOnChosenPort();
    showHeld(waiting, {}, false, copy);
    const int slot = ecu::chosenPortNumber != 0 ? ecu::chosenPortNumber : com1PortNumber;
    copy.heldNote =
        ecu::owedBeforeConnection(waiting, "COM" + std::to_string(slot - com1PortNumber + 1));
}

LinkIndicator TesterPanel::linkState() const {
    LinkFacts facts;
    facts.started = started != 0;
    facts.openFailure = portFailure;
    facts.adapterGone = adapter.deviceGone();
    facts.devicePath = facts.adapterGone ? adapter.gonePath() : session.portPath();
    facts.connected = session.connected() != 0;
    facts.ecuName = session.identity().ecuName;
    facts.echoSkipped = session.echoSkipped();
    if (facts.started && !facts.connected) {
        facts.silence = session.silenceCause();
        facts.owed = ecu::owedWhileSilent(session.owedControls());
    }
    return linkIndicator(facts);
}

PanelSnapshot TesterPanel::snapshot() const {
    PanelSnapshot copy = shown;
    copy.periodMs = periodMs;
    copy.timerRunning = timerHandle != 0;
    copy.link = linkState();
    if (started == 0) {
        showOwedBeforeStart(copy);
    } else {
        showHeld(session.owedControls(), session.confirmedControls(), session.connected() != 0,
                 copy);
    }
    return copy;
}

}  // namespace ecuprobe::console
