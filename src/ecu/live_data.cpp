#include "ecu/live_data.h"

#include "ecu/ecu_commands.h"

#include <cstdlib>

namespace ecuprobe::ecu {

// The live request, in request order. The answer holds the values in the same
// order with no header; the slow group (items 11..16) is present only when requested.
const std::array<LiveVariable, liveVariableCount> liveVariables{{
    {0x1A, 1, false, "TWAT"},    {0x29, 1, false, "FREQ"},    {0x2C, 1, false, "FREQXX"},
    {0x26, 1, false, "UOZ"},     {0x07, 1, false, "flags A"}, {0x08, 1, false, "flags B"},
    {0x09, 1, false, "flags C"}, {0x39, 1, false, "VALF"},    {0x1E, 1, false, "NUACC"},
    {0x20, 1, false, "THR"},     {0x42, 1, true, "RCOK"},     {0x41, 1, true, "RCOD"},
    {0x28, 1, true, "UOZOC"},    {0x5D, 1, true, "JDMM"},     {0x5F, 1, true, "JEGR"},
    {0x5E, 1, true, "JADS"},     {0x5B, 1, false, "SSM"},     {0x5C, 1, false, "FSM"},
    {0x1C, 1, false, "TAIR"},    {0x60, 1, false, "SPD"},     {0x59, 1, false, "UGB"},
    {0x3F, 2, false, "INJ"},     {0x21, 2, false, "JAIR"},    {0x40, 2, false, "JQT"},
    {0x18, 1, false, "FAZ"},     {0x0F, 1, false, "BDET"},    {0x23, 2, false, "PABS"},
    {0x4D, 1, false, "LAM1"},    {0x4E, 1, false, "LAM2"},    {0x45, 1, false, "COEFF1"},
    {0x46, 1, false, "COEFF2"},
}};

std::size_t buildLiveRequest(bool withSlowGroup, std::span<std::uint8_t> out) {
    const std::size_t length = withSlowGroup ? liveRequestLengthWithSlow : liveRequestLengthShort;
    if (out.size() < length) {
        return 0;
    }
    std::size_t n = 0;
    out[n++] = readVariablesCommand;
    for (const LiveVariable& variable : liveVariables) {
        if (withSlowGroup || !variable.slow) {
            out[n++] = variable.number;
        }
    }
    return n;
}

namespace {

// Single-precision scale factors. Every product and sum below is exact in double
// (at most 16 bits times 24 bits), so rounding once to float gives the same
// result as any wider evaluation.
constexpr float tenth = 0.1f;
constexpr float injScale = 0.008f;
constexpr float byteScale = 0.00390625f;
constexpr float byteOffset = 128.0f;

float scaled(unsigned raw, float factor) {
    return static_cast<float>(static_cast<double>(raw) * static_cast<double>(factor));
}

// |r - 128| / 256 - 0.5, for RCOK and RCOD.
float coCorrection(std::uint8_t raw) {
    return static_cast<float>(std::abs(static_cast<double>(raw) - 128.0) / 256.0 - 0.5);
}

float coefficient(std::uint8_t raw) {
    return static_cast<float>((static_cast<double>(raw) + static_cast<double>(byteOffset)) *
                              static_cast<double>(byteScale));
}

std::int32_t bit(std::uint8_t flags, int n) {
    return (flags >> n) & 1;
}

// Reads the answer by offset; what lies beyond it reads as 0.
class AnswerReader {
public:
    explicit AnswerReader(std::span<const std::uint8_t> answer) : bytes(answer) {}
    std::uint8_t byte() { return at(offset++); }
    unsigned word() {
        const unsigned low = byte();
        return low | static_cast<unsigned>(byte()) << 8;
    }

private:
    std::uint8_t at(std::size_t i) const { return i < bytes.size() ? bytes[i] : 0; }
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
};

void decodeFlags(std::uint8_t a, std::uint8_t b, std::uint8_t c, LiveData& data) {
    data.BITSTP = bit(a, 0);
    data.RXX = bit(a, 2);
    data.BLKINJ = bit(a, 4);
    data.BITPOW = bit(a, 5);
    data.WRKLAM = bit(a, 6);
    data.RDET = bit(a, 7);
    data.ADSORBER = bit(b, 0);
    data.BITATM = bit(b, 1);
    data.TKFWR1 = bit(b, 2);
    data.TKFWR2 = bit(b, 3);
    data.INPLAM1 = bit(b, 4);
    data.INPLAM2 = bit(b, 5);
    data.DET = bit(b, 6);
    data.CHECKEIGINE = bit(c, 0);
    data.fanOn = bit(c, 1);
    data.airConditionerOn = bit(c, 2);
    data.fuelPumpOn = bit(c, 3);
    data.coil14On = bit(c, 4);
    data.coil23On = bit(c, 5);
}

std::int16_t temperature(std::uint8_t raw) {
    return static_cast<std::int16_t>(raw - 40);
}

void decodeFastHead(AnswerReader& in, LiveData& data) {
    data.TWAT = temperature(in.byte());
    data.FREQ = in.byte() * 40u;
    data.FREQXX = in.byte() * 10u;
    data.UOZ = static_cast<std::int8_t>(static_cast<std::int8_t>(in.byte()) / 2);
    const std::uint8_t a = in.byte();
    const std::uint8_t b = in.byte();
    decodeFlags(a, b, in.byte(), data);
    data.VALF = static_cast<float>(in.byte() * static_cast<double>(byteScale) + 0.5);
    data.NUACC = scaled(in.byte(), tenth);
    data.THR = in.byte();
}

void decodeSlowGroup(AnswerReader& in, LiveData& data) {
    data.RCOK = coCorrection(in.byte());
    data.RCOD = coCorrection(in.byte());
    data.UOZOC = static_cast<float>(static_cast<std::int8_t>(in.byte()) * 0.5);
    data.JDMM = in.byte();
    data.JEGR = in.byte();
    data.JADS = in.byte();
}

void decodeFastTail(AnswerReader& in, LiveData& data) {
    data.SSM = in.byte();
    data.FSM = in.byte();
    data.fsmCopy = data.FSM;
    data.TAIR = temperature(in.byte());
    data.SPD = in.byte();
    data.UGB = scaled(in.byte(), tenth);
    data.INJ = scaled(in.word(), injScale);
    data.JAIR = scaled(in.word(), tenth);
    data.JQT = scaled(in.word(), tenth);
    // Kept in 8 bits: raw 43 gives 258, stored as 2.
    data.FAZ = static_cast<std::uint8_t>(in.byte() * 6u);
    data.BDET = in.byte();
    data.PABS = in.word() & 0xFFu;
    data.LAM1 = in.byte();
    data.LAM2 = in.byte();
    data.COEFF1 = coefficient(in.byte());
    data.COEFF2 = coefficient(in.byte());
}

}  // namespace

void decodeLiveData(std::span<const std::uint8_t> answer, bool withSlowGroup, LiveData& data) {
    AnswerReader in(answer);
    decodeFastHead(in, data);
    if (withSlowGroup) {
        decodeSlowGroup(in, data);
    }
    decodeFastTail(in, data);
}

void LiveData::resetKeepingLastReadings() {
    LiveData fresh;
    fresh.SSM = SSM;
    fresh.UGB = UGB;
    fresh.WRKLAM = WRKLAM;
    fresh.RDET = RDET;
    fresh.BITATM = BITATM;
    fresh.TKFWR1 = TKFWR1;
    fresh.TKFWR2 = TKFWR2;
    fresh.INPLAM1 = INPLAM1;
    fresh.INPLAM2 = INPLAM2;
    fresh.PABS = PABS;
    fresh.BDET = BDET;
    *this = fresh;
}

}  // namespace ecuprobe::ecu
