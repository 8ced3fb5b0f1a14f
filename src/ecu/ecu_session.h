#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "ecu/exchange_busy.h"
#include "ecu/faults.h"
#include "ecu/hand_back.h"
#include "ecu/live_data.h"
#include "ecu/write_reply.h"
#include "link/frame_exchange.h"

namespace ecuprobe::ecu {

// The serial port chosen on the console: 2..5 for COM1..COM4, 0 while none is chosen.
extern int chosenPortNumber;

// The one link object; EcuSession's constructor points it at link::processLink().
extern link::FrameExchange* currentLink;

// Where the test data set puts its values in the answer to 0x63.
struct TestDataSetPositions {
    std::uint8_t twat = 0;
    std::uint8_t freq = 0;
    std::uint8_t jair = 0;
    std::uint8_t jqt = 0;
    std::uint8_t spd = 0;
};

// Why requests go unanswered, as far as the line can tell: no echo (or not the
// bytes written) means no working echoing adapter (unpowered, or not a K-line
// adapter); a device that has gone was unplugged or hung up.
enum class SilenceCause : std::uint8_t { ecuSilent, noEcho, deviceGone };

// The six outputs the tester can switch through control variable 0x09.
enum class Output { coil14, coil23, fuelPump, checkEngineLamp, airConditioner, fan };

// The one object that talks to the ECU. Every call blocks for its pauses and
// time-outs; all of them run on the link thread.
class EcuSession {
public:
    EcuSession();

    // 1 when the port was opened (whatever the ECU answered), 0 when it could not be.
    std::uint8_t connect();
    // connected after the type request and the standard data-set selection.
    std::uint8_t identifyEcuType();
    // 1 when the ECU answered 0x63 or the check was skipped, 0 otherwise.
    std::uint8_t checkLink();
    // Always 1; the outcome is in connected.
    std::uint8_t selectStandardDataSet();
    // 0 selected, 0xFF not connected or no answer.
    std::uint8_t selectTestDataSet();
    // Hands every output and parameter back to the ECU.
    void releaseControls();
    // Which registers the last releaseControls() got acknowledged.
    const HandBackOutcome& lastHandBack() const { return handBack; }
    void resetState();
    void disconnect();
    void setStatusText(std::string_view text);
    void setLambdaProbe(std::int32_t flag);
    // Whether the ECU answered the last request of any service.
    bool lastRequestAnswered() const;
    // How the ECU took the last write of a switch, parameter or hand-back.
    WriteReply lastWriteReply() const { return lastWrite; }
    // Whether the last type request (0x01) was answered.
    bool ecuTypeAnswered() const { return typeAnswered; }
    SilenceCause silenceCause() const;
    // A pause on the link's clock, so that callers keep virtual time in the tests.
    void sleepMs(std::uint32_t ms);

    // 0 when liveData was refreshed, 0xFF otherwise.
    std::uint8_t readLiveData();

    void readFaults();
    void clearFaults();
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
    // Sets JADS (variable 0x5E), value in % limited to 100 in place; returns
    // liveData.JADS, 0 when not connected.
    std::uint32_t setPurgeDegree(std::uint32_t& value);

    // Session core.
    std::uint8_t connected = 0;
    std::string statusText;  // UTF-8
    std::string ecuName;     // UTF-8: "Микас 5.4", "Микас 7.1" or "Микас ?.?"
    std::int32_t lambdaProbe = 1;
    std::uint8_t dataSetState = 0xFF;  // 0xFF unknown, 0 standard, 1 test data set
    std::int32_t samplingActive = 0;
    TestDataSetPositions testPositions;

    // Identification.
    std::uint8_t identityRead = 0;  // 0xFF once a passport block came
    std::int32_t hasSpeedSensor = 0;

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

private:
    // Sends payload, waits up to 200 ms; true when an answer frame came.
    bool exchange(std::initializer_list<std::uint8_t> payload);
    bool exchange(std::span<const std::uint8_t> payload);
    // Sends a write and keeps how the ECU took it in lastWrite.
    WriteReply sendWrite(std::span<const std::uint8_t> payload);
    // An answer came and its first byte is 0.
    bool writeAcknowledged(std::span<const std::uint8_t> payload);
    // true when the first write or its repeat was acknowledged.
    bool releaseRegister(std::uint8_t reg);
    void clearControlCopies();
    std::int32_t& outputFlag(Output output);
    void switchRegulator(std::uint8_t bit, std::int32_t& state);
    std::size_t storedFaultCount = 0;
    HandBackOutcome handBack;
    WriteReply lastWrite = WriteReply::acknowledged;
    bool typeAnswered = false;
};

}  // namespace ecuprobe::ecu
