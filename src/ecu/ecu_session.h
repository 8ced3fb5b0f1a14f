#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ecu/control_parameters.h"
#include "ecu/ecu_identity.h"
#include "ecu/exchange_busy.h"
#include "ecu/faults.h"
#include "ecu/hand_back.h"
#include "ecu/live_data.h"
#include "ecu/owed_ledger.h"
#include "ecu/session_results.h"
#include "ecu/write_reply.h"
#include "link/frame_exchange.h"

namespace ecuprobe::ecu {

// The serial port chosen on the console: 2..5 for COM1..COM4, 0 while none is chosen.
extern int chosenPortNumber;

// The one link object; EcuSession's constructor points it at link::processLink().
extern link::FrameExchange* currentLink;

// The test data set's answer to 0x63 is this long; a shorter one is no sample.
inline constexpr std::size_t testDataSetLength = 7;

// Where the test data set puts its values in the answer to 0x63.
struct TestDataSetPositions {
    std::uint8_t twat = 0;
    std::uint8_t freq = 0;
    std::uint8_t jair = 0;
    std::uint8_t jqt = 0;
    std::uint8_t spd = 0;
};

// What the ECU type byte (the answer to 0x01) stands for: 9 MIKAS 5.4, 10 MIKAS
// 7.1, any other an unknown ECU.
struct EcuTypeTexts {
    std::string_view statusText;  // "ЭБУ Микас 5.4. "
    std::string_view name;        // "Микас 5.4"
};
EcuTypeTexts ecuTypeTexts(std::uint8_t typeByte);
// Whether a status text is one of the ECU type's.
bool isEcuTypeStatus(std::string_view statusText);

// The status text of a lost link.
inline constexpr std::string_view lostLinkStatus = "*** Нет связи";

// Why requests go unanswered, as far as the line can tell from the last one.
enum class SilenceCause : std::uint8_t {
    // The echo came back as written and then nothing, or no frame that adds up.
    ecuSilent,
    // No echo, or only part of it: no working echoing adapter (unpowered, or not
    // a K-line adapter).
    noEcho,
    // The ECU's answer came where the echo should be: the adapter cancels its own echo.
    adapterWithoutEcho,
    // The echo came back changed or among stray bytes, or the answer wait heard
    // bytes that never made a frame: the line is noisy (the cable, the ground).
    lineNoise,
    // The device was unplugged or hung up.
    deviceGone,
};

// The six outputs the tester can switch through control variable 0x09.
enum class Output { coil14, coil23, fuelPump, checkEngineLamp, airConditioner, fan };

// Everything an EcuSession holds between its services.
struct SessionState {
    std::uint8_t connected = 0;
    std::string statusText;  // UTF-8
    std::int32_t lambdaProbe = 1;
    std::uint8_t dataSetState = 0xFF;  // 0xFF unknown, 0 standard, 1 test data set
    std::int32_t samplingActive = 0;
    TestDataSetPositions testPositions;

    // The ECU's name (set by identifyEcuType() too), texts and equipment flags.
    EcuIdentity identity;

    LiveData liveData;

    // Fault list as received: the count is signed, the array holds what fits.
    std::int8_t faultCount = 0;
    std::array<FaultCode, maxStoredFaults> faults{};

    // Copies of the last values written to the control variables.
    std::uint8_t injectorCut = 0;       // 0x0D, bit n-1 cuts injector n
    std::uint8_t outputState = 0;       // 0x09, layout of Output bits
    std::uint8_t outputOverride = 0;    // 0x0A, same layout: outputs taken over
    std::uint8_t regulatorControl = 0;  // 0x0E, bit 1 lambda, bit 2 knock regulator
    std::uint8_t overrideFlags0B = 0;   // 0x0B, parameter overrides
    std::uint8_t overrideFlags0C = 0;   // 0x0C, parameter overrides, bit 2 JADS
    // Indexed by the injector number 1..4 as on the console; slot 0 is not used.
    std::array<std::int32_t, 5> injectorOn{1, 1, 1, 1, 1};
};

namespace testing {
// The unit tests' way to put a session into a state no service reaches quickly.
struct SessionProbe;
}  // namespace testing

// The one object that talks to the ECU. Every call blocks for its pauses and
// time-outs; all of them run on the link thread.
class EcuSession {
public:
    EcuSession();

    // done when the port was opened (whatever the ECU answered).
    ServiceResult connect();
    // done when connected after the type request and the standard data-set selection.
    ServiceResult identifyEcuType();
    // done when the ECU answered 0x63 or the check was skipped.
    ServiceResult checkLink();
    // Always done; the outcome is in connected().
    ServiceResult selectStandardDataSet();
    // failed while not connected or without an answer.
    ReadResult selectTestDataSet();
    // Hands every output and parameter back to the ECU.
    void releaseControls();
    // Which registers the last releaseControls() got acknowledged.
    const HandBackOutcome& lastHandBack() const { return handBack; }
    // What the tester may still hold over the ECU on this port, whatever a lost
    // link did to the copies of the control variables. connect() takes what
    // earlier sessions left; the first type request answered after it, and after
    // every silence, hands it back before anything else.
    const OwedControls& owedControls() const { return ledger.owed(); }
    // Of those, what the ECU acknowledged holding, while it answers.
    OwedControls confirmedControls() const;
    // What the chosen port owes from earlier runs, looked at before connect()
    // takes it, for the person to see before starting.
    OwedControls owedOnChosenPort() const;
    // What the person is to be told of that, each once: how handing back the
    // owed controls went, a record kept for the port that could not be read or written.
    std::vector<std::string> takeHandBackNews() { return ledger.takeNews(); }
    void resetState();
    void disconnect();
    // Lets the port go without handing anything back, for a new start while the
    // ECU does not answer: what is owed stays owed to the next connection.
    void closePort();
    void setStatusText(std::string_view text);
    void setLambdaProbe(std::int32_t flag);
    // The adapter went away under the session: nothing answers until it is back.
    void markDisconnected();
    // Whether the ECU answered the last request of any service.
    bool lastRequestAnswered() const;
    // How the ECU took the last write of a switch, parameter or hand-back.
    WriteReply lastWriteReply() const { return lastWrite; }
    // Whether the last type request (0x01) was answered.
    bool ecuTypeAnswered() const { return typeAnswered; }
    SilenceCause silenceCause() const;
    // Asked right before every write: once it says stop (a signal, the console
    // closing), nothing the ECU would keep or act on goes out: no parameter set
    // or store, adaptation reset, fault clearing or switch; such a write is
    // withheld. Only the hand-back of releaseControls() is still sent.
    void stopWhen(std::function<bool()> stopped);
    bool stopRequested() const;
    // A pause on the link's clock, so that callers keep virtual time in the tests.
    void sleepMs(std::uint32_t ms);
    // The link's clock: its tick count and calendar.
    platform::Clock& clock() const;
    std::uint32_t tickMs() const;
    // Whether the link's port is held open.
    bool portOpen() const;
    // The link takes answers without reading an echo first (an adapter without echo).
    bool echoSkipped() const;
    // The device path of the chosen port (COM1 while none is), which the owed
    // controls are kept by.
    std::string portPath() const;
    // Why the port did not open when it was last tried (connect(), a replugged
    // adapter); cause none when it opened.
    const platform::OpenFailure& openFailure() const;
    // One request of the data set the ECU delivers for 0x63, waiting up to 200 ms
    // of silence; true when it was answered.
    bool readSelectedDataSet();
    // The data of the last answer (then its checksum, terminator and zeros), valid
    // until the next request.
    std::span<const std::uint8_t> lastAnswer() const;
    // How many data bytes the last answer carried.
    std::size_t lastAnswerLength() const { return answerData().size(); }

    // read when liveData was refreshed.
    ReadResult readLiveData();

    void readFaults();
    void clearFaults();
    // The fault list held is the ECU's answer on this connection: not merely the
    // empty list of a reset, a clear or a connection whose read went unanswered.
    bool faultListAnswered() const { return faultsAnswered; }
    void faultListShort(std::string& text) const;
    void faultListDecoded(std::string& text) const;
    // The entries actually held: at most maxStoredFaults, none for a count <= 0.
    std::span<const FaultCode> storedFaults() const;

    // Each switch takes the caller's state (0 or 1) and leaves the resulting state in it.
    // n = 1..4; other numbers send nothing and leave state as it is.
    void switchInjector(int n, std::int32_t& state);
    void switchOutput(Output output, std::int32_t& state);
    void switchCanisterPurge(std::int32_t& state);
    void switchLambdaControl(std::int32_t& state);
    void switchKnockControl(std::int32_t& state);
    // After a hand-back: every injector and output as the ECU drives it again.
    void markOutputsReleased();

    // Identification: done when a passport block has been read (now or before on
    // this connection). Reads only while the texts are not yet held.
    ServiceResult readIdentity();
    // Fills text with the equipment list; failed (and an empty text) when the ECU
    // did not answer.
    ServiceResult readEquipment(std::string& text);

    // The control parameters. Each set limits the caller's value in place, takes
    // the parameter over from the ECU and returns the parameter's LiveData value
    // (0 when not connected, when nothing is sent). Stepper in steps, idle speed
    // in rpm, ignition correction in degrees, EGR and purge degrees in %.
    void setIdleStepper(std::uint32_t& value);
    void setIdleSpeed(std::uint32_t& value);
    float setIgnitionCorrection(float& value);
    float setRcod(float& value);
    float setRcok(float& value);
    std::uint32_t setEgrDegree(std::uint32_t& value);
    std::uint32_t setPurgeDegree(std::uint32_t& value);
    // Stores the parameter of index n (1 RCOD, 2 RCOK, 3 ignition correction) in the
    // ECU's non-volatile memory; done when the ECU acknowledged.
    ServiceResult storeParameter(std::uint8_t n);
    // Store, then read back; return the LiveData value, 0 when not connected.
    float storeRcod();
    float storeRcok();
    float storeIgnitionCorrection();

    // Adaptation resets: done when the ECU acknowledged.
    ServiceResult clearLambdaAdaptation();
    ServiceResult clearKnockAdaptation();

    // What the session holds; callers change it only through the services above.
    std::uint8_t connected() const { return held.connected; }
    const std::string& statusText() const { return held.statusText; }
    std::int32_t lambdaProbe() const { return held.lambdaProbe; }
    std::uint8_t dataSetState() const { return held.dataSetState; }
    std::int32_t samplingActive() const { return held.samplingActive; }
    const TestDataSetPositions& testPositions() const { return held.testPositions; }
    const EcuIdentity& identity() const { return held.identity; }
    const LiveData& liveData() const { return held.liveData; }
    std::int8_t faultCount() const { return held.faultCount; }
    // Injector n (1..4) as the console shows it: 1 on, 0 cut.
    std::int32_t injectorOn(int n) const { return held.injectorOn[static_cast<std::size_t>(n)]; }

    // A measured run holds the link check off the line from its first request to its end.
    void setSamplingActive(bool active);
    // The next live read asks for the slow group too.
    void readSlowGroupNext();
    // The state report's marks on the identification held: the passports' CR and
    // LF become blanks, and forgetIdentityRead() makes the next report read it again.
    void blankPassportLineBreaks();
    void forgetIdentityRead();

private:
    friend struct testing::SessionProbe;

    static constexpr std::uint16_t responseTimeoutMs = 200;

    // Sends payload, waits up to timeoutMs; true when an answer frame came. False
    // too for a write withheld after a stop (writeWithheld), which never left.
    bool exchange(std::initializer_list<std::uint8_t> payload,
                  std::uint16_t timeoutMs = responseTimeoutMs);
    bool exchange(std::span<const std::uint8_t> payload,
                  std::uint16_t timeoutMs = responseTimeoutMs);
    // Keeps in the ledger what a write may leave held; false, with nothing sent and
    // the ledger as before, when a stop came for a write the ECU would keep.
    bool keptBeforeWrite(std::span<const std::uint8_t> payload);
    // The data bytes of the answer just received, without checksum and terminator.
    std::span<const std::uint8_t> answerData() const;
    // True, with lastWrite withheld, when a stop came: the write must not go out.
    bool withholdAfterStop();
    // Sends a write and keeps how the ECU took it in lastWrite.
    WriteReply sendWrite(std::span<const std::uint8_t> payload,
                         std::uint16_t timeoutMs = responseTimeoutMs);
    // An answer came and its first byte is 0.
    bool writeAcknowledged(std::span<const std::uint8_t> payload);
    // true when the first write or its repeat was acknowledged.
    bool releaseRegister(std::uint8_t reg);
    void clearControlCopies();
    // Writes 0 to every owed register as releaseControls() does, and records how
    // it went; nothing when nothing is owed.
    void payOwedControls();
    // The copies and injector flags of the registers the ECU took back.
    void forgetCopiesOf(const OwedControls& returned);
    void switchRegulator(std::uint8_t bit, std::int32_t& state);
    void readPassport(std::uint8_t firstCommand, int blocks, std::string& passport,
                      std::string_view name);
    void readIdentityTexts();
    // The write of one parameter with its override pair where needed, and its
    // read-back; the callers send nothing while not connected.
    void writeParameter(Parameter parameter, std::uint8_t valueByte);
    void readBackParameter(Parameter parameter, bool writeAnswered);
    void storeAndReadBack(Parameter parameter);
    ServiceResult clearAdaptation(std::uint8_t command, std::string_view failureText);
    std::size_t storedFaultCount = 0;
    bool faultsAnswered = false;
    HandBackOutcome handBack;
    std::function<bool()> stopCheck;
    OwedLedger ledger;
    // Within releaseControls(), which hands back everything itself.
    bool releasing = false;
    // The last write never left: a stop came before it.
    bool writeWithheld = false;
    WriteReply lastWrite = WriteReply::acknowledged;
    bool typeAnswered = false;
    SessionState held;
};

}  // namespace ecuprobe::ecu
