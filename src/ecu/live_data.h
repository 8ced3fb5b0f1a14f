#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ecuprobe::ecu {

// The ECU's working variables in engineering units, named as the ECU names them.
// Widths and signedness are those the console, the report and the parameter
// dialog rely on.
struct LiveData {
    std::int16_t TWAT = 0;      // coolant, deg C
    std::int16_t TAIR = 0;      // intake air, deg C
    float VALF = 0.0f;          // air/fuel ratio
    std::uint8_t THR = 0;       // throttle, %
    std::uint32_t FREQ = 0;     // engine speed, rpm
    std::uint32_t FREQXX = 0;   // idle speed set-point, rpm
    std::uint8_t FSM = 0;       // idle air stepper position, steps
    std::uint32_t fsmCopy = 0;  // FSM again, the parameter dialog's starting value
    float COEFF1 = 0.0f;
    float COEFF2 = 0.0f;
    std::int8_t UOZ = 0;       // ignition advance, degrees
    float UOZOC = 0.0f;        // ignition advance correction, degrees
    std::uint8_t SPD = 0;      // vehicle speed, km/h
    float NUACC = 0.0f;        // supply voltage, V
    std::uint8_t O2FLAGS = 0;  // no variable of the live request fills it
    float INJ = 0.0f;          // injection pulse, ms
    float JAIR = 0.0f;         // air mass flow, kg/h
    float JQT = 0.0f;          // fuel flow, l/h
    float JQK = 0.0f;       // fuel per distance, l/100 km; no variable of the live request fills it
    std::uint8_t JEGR = 0;  // exhaust gas recirculation degree, %
    std::uint8_t JADS = 0;  // canister purge degree, %
    float RCOK = 0.0f;
    float RCOD = 0.0f;
    std::uint8_t SSM = 0;  // idle air stepper set-point, steps
    float UGB = 0.0f;      // air flow set-point, kg/h
    std::uint8_t FAZ = 0;  // injection phase, degrees
    std::uint32_t JDMM = 0;
    std::uint32_t LAM1 = 0;  // mV
    std::uint32_t LAM2 = 0;  // mV
    std::uint32_t PABS = 0;
    std::uint8_t BDET = 0;  // knock per cylinder, bit mask

    // Flag byte A (variable 0x07).
    std::int32_t BITSTP = 0;
    std::int32_t RXX = 0;
    std::int32_t BLKINJ = 0;
    std::int32_t BITPOW = 0;
    std::int32_t WRKLAM = 0;
    std::int32_t RDET = 0;
    // Flag byte B (variable 0x08).
    std::int32_t ADSORBER = 0;
    std::int32_t BITATM = 0;
    std::int32_t TKFWR1 = 0;
    std::int32_t TKFWR2 = 0;
    std::int32_t INPLAM1 = 0;
    std::int32_t INPLAM2 = 0;
    std::int32_t DET = 0;
    // Flag byte C (variable 0x09): the output states the ECU reports.
    std::int32_t CHECKEIGINE = 0;
    std::int32_t fanOn = 0;
    std::int32_t airConditionerOn = 0;
    std::int32_t fuelPumpOn = 1;
    std::int32_t coil14On = 1;
    std::int32_t coil23On = 1;

    // Reads left until the next one that includes the slow group; 0 forces it.
    std::uint8_t slowCountdown = 0;

    // Back to the initial values, keeping the values that survive a lost link:
    // SSM, UGB, WRKLAM, RDET, BITATM, TKFWR1, TKFWR2, INPLAM1, INPLAM2, PABS, BDET.
    void resetKeepingLastReadings();
};

// The live request: 0x61 and 31 variable numbers, or 25 without the slow group
// (the six variables of RCOK, RCOD, UOZOC, JDMM, JEGR and JADS). The answer holds
// their values in request order with no header. liveFieldTable() gives the order,
// widths and conversions.
inline constexpr std::size_t liveRequestLengthWithSlow = 32;
inline constexpr std::size_t liveRequestLengthShort = 26;
inline constexpr std::size_t liveAnswerLengthWithSlow = 35;
inline constexpr std::size_t liveAnswerLengthShort = 29;

// Writes the request (0x61 and the variable numbers) into out; returns its length.
std::size_t buildLiveRequest(bool withSlowGroup, std::span<std::uint8_t> out);

// Decodes the answer data of a live request into data. Bytes past the end of
// answer read as 0. Fields of the slow group change only when it was requested.
void decodeLiveData(std::span<const std::uint8_t> answer, bool withSlowGroup, LiveData& data);

}  // namespace ecuprobe::ecu
