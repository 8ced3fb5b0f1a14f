#include "ecu/live_data.h"
#include "case_names.h"
#include "ecu/live_fields.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <vector>

namespace ecuprobe::ecu {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(LiveRequest, WithSlowGroupHas32BytesAndTheSlowVariablesAfterThrottle) {
    std::array<std::uint8_t, 40> out{};
    const std::size_t n = buildLiveRequest(true, out);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n)),
              (Bytes{0x61, 0x1A, 0x29, 0x2C, 0x26, 0x07, 0x08, 0x09, 0x39, 0x1E, 0x20,
                     0x42, 0x41, 0x28, 0x5D, 0x5F, 0x5E, 0x5B, 0x5C, 0x1C, 0x60, 0x59,
                     0x3F, 0x21, 0x40, 0x18, 0x0F, 0x23, 0x4D, 0x4E, 0x45, 0x46}));
}

TEST(LiveRequest, WithoutSlowGroupHas26Bytes) {
    std::array<std::uint8_t, 40> out{};
    const std::size_t n = buildLiveRequest(false, out);
    EXPECT_EQ(
        Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n)),
        (Bytes{0x61, 0x1A, 0x29, 0x2C, 0x26, 0x07, 0x08, 0x09, 0x39, 0x1E, 0x20, 0x5B, 0x5C,
               0x1C, 0x60, 0x59, 0x3F, 0x21, 0x40, 0x18, 0x0F, 0x23, 0x4D, 0x4E, 0x45, 0x46}));
}

TEST(LiveRequest, RefusesABufferTooSmall) {
    std::array<std::uint8_t, 31> out{};
    EXPECT_EQ(buildLiveRequest(true, out), 0u);
}

TEST(LiveRequest, VariableTableAddsUpToTheAnswerLengths) {
    std::size_t all = 0;
    std::size_t fast = 0;
    std::uint8_t previous = 0;
    for (const LiveField& f : liveFieldTable()) {
        if (f.variable != 0 && f.variable != previous) {
            all += f.width;
            fast += f.slow ? 0 : f.width;
        }
        previous = f.variable;
    }
    EXPECT_EQ(all, liveAnswerLengthWithSlow);
    EXPECT_EQ(fast, liveAnswerLengthShort);
}

// The decoder advances by a variable's width when the variable changes, so the
// fields of one variable must stand together and agree on its width.
TEST(LiveFieldTable, EachVariableStandsInOnePlaceWithOneWidth) {
    std::map<std::uint8_t, std::size_t> firstRow;
    const auto table = liveFieldTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const LiveField& f = table[i];
        if (f.variable == 0) {
            continue;
        }
        const auto [at, fresh] = firstRow.emplace(f.variable, i);
        if (!fresh) {
            EXPECT_EQ(table[i - 1].variable, f.variable) << f.name;
            EXPECT_EQ(table[at->second].width, f.width) << f.name;
        }
        EXPECT_EQ(findLiveField(f.name), &f);
    }
}

TEST(LiveFieldTable, ValuesReadAsTheConsoleShowsThem) {
    LiveData data;
    data.TWAT = -10;
    data.RCOK = -0.375f;
    data.INJ = 5.0f;
    data.RXX = 1;
    const std::pair<const char*, const char*> shown[] = {
        {"TWAT", "-10"}, {"RCOK", "-0.375"}, {"INJ", "5"}, {"RXX", "1"}, {"JQK", "0"}};
    for (const auto& [name, text] : shown) {
        EXPECT_EQ(liveValueText(*findLiveField(name), data), text) << name;
    }
    EXPECT_EQ(findLiveField("nothing"), nullptr);
}

TEST(LiveFieldTable, OneVariableReadAloneFillsEveryFieldItFeeds) {
    LiveData data;
    decodeLiveVariable(0x5C, Bytes{44}, data);
    decodeLiveVariable(0x09, Bytes{0x12}, data);
    EXPECT_EQ(data.FSM, 44);
    EXPECT_EQ(data.fsmCopy, 44u);
    EXPECT_EQ(data.fanOn + data.coil14On, 2);
    EXPECT_EQ(data.fuelPumpOn + data.coil23On + data.CHECKEIGINE, 0);
}

struct DecodeCase {
    const char* field;
    int shortOffset;  // -1: only in the slow group
    int slowOffset;
    Bytes raw;  // one byte, or two low byte first
    double expected;
    std::function<double(const LiveData&)> get;
    friend void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.field; }
};

class LiveDecode : public ::testing::TestWithParam<DecodeCase> {};

void expectDecoded(const DecodeCase& c, bool withSlowGroup, int offset) {
    Bytes answer(withSlowGroup ? liveAnswerLengthWithSlow : liveAnswerLengthShort, 0);
    std::copy(c.raw.begin(), c.raw.end(), answer.begin() + offset);
    LiveData data;
    decodeLiveData(answer, withSlowGroup, data);
    EXPECT_EQ(c.get(data), c.expected)
        << c.field << (withSlowGroup ? " with" : " without") << " slow group";
}

TEST_P(LiveDecode, RawValueGivesEngineeringValue) {
    const DecodeCase& c = GetParam();
    if (c.shortOffset >= 0) {
        expectDecoded(c, false, c.shortOffset);
    }
    expectDecoded(c, true, c.slowOffset);
}

// Expected values are written as the float the field must hold.
INSTANTIATE_TEST_SUITE_P(
    Fields, LiveDecode,
    ::testing::Values(
        DecodeCase{"TWAT 0x50", 0, 0, {0x50}, 40, [](const LiveData& d) { return d.TWAT; }},
        DecodeCase{"TWAT 0", 0, 0, {0x00}, -40, [](const LiveData& d) { return d.TWAT; }},
        DecodeCase{"TWAT 255", 0, 0, {0xFF}, 215, [](const LiveData& d) { return d.TWAT; }},
        DecodeCase{"FREQ", 1, 1, {200}, 8000, [](const LiveData& d) { return d.FREQ; }},
        DecodeCase{"FREQXX", 2, 2, {85}, 850, [](const LiveData& d) { return d.FREQXX; }},
        DecodeCase{"UOZ 0xFB", 3, 3, {0xFB}, -2, [](const LiveData& d) { return d.UOZ; }},
        DecodeCase{"UOZ 0xFF", 3, 3, {0xFF}, 0, [](const LiveData& d) { return d.UOZ; }},
        DecodeCase{"UOZ 0x81", 3, 3, {0x81}, -63, [](const LiveData& d) { return d.UOZ; }},
        DecodeCase{"UOZ 0x21", 3, 3, {0x21}, 16, [](const LiveData& d) { return d.UOZ; }},
        DecodeCase{"VALF", 7, 7, {0x40}, 0.75, [](const LiveData& d) { return d.VALF; }},
        DecodeCase{"NUACC", 8, 8, {140}, 14.0f, [](const LiveData& d) { return d.NUACC; }},
        DecodeCase{"THR", 9, 9, {37}, 37, [](const LiveData& d) { return d.THR; }},
        DecodeCase{"RCOK 0x60", -1, 10, {0x60}, -0.375, [](const LiveData& d) { return d.RCOK; }},
        DecodeCase{"RCOK 128", -1, 10, {128}, -0.5, [](const LiveData& d) { return d.RCOK; }},
        DecodeCase{"RCOK 0", -1, 10, {0}, 0.0, [](const LiveData& d) { return d.RCOK; }},
        DecodeCase{
            "RCOK 255", -1, 10, {255}, -0.00390625, [](const LiveData& d) { return d.RCOK; }},
        DecodeCase{"RCOD 0xA0", -1, 11, {0xA0}, -0.375, [](const LiveData& d) { return d.RCOD; }},
        DecodeCase{"UOZOC 0xF6", -1, 12, {0xF6}, -5.0, [](const LiveData& d) { return d.UOZOC; }},
        DecodeCase{"UOZOC 7", -1, 12, {7}, 3.5, [](const LiveData& d) { return d.UOZOC; }},
        DecodeCase{"JDMM", -1, 13, {200}, 200, [](const LiveData& d) { return d.JDMM; }},
        DecodeCase{"JEGR", -1, 14, {55}, 55, [](const LiveData& d) { return d.JEGR; }},
        DecodeCase{"JADS", -1, 15, {100}, 100, [](const LiveData& d) { return d.JADS; }},
        DecodeCase{"SSM", 10, 16, {33}, 33, [](const LiveData& d) { return d.SSM; }},
        DecodeCase{"FSM", 11, 17, {44}, 44, [](const LiveData& d) { return d.FSM; }},
        DecodeCase{"fsmCopy", 11, 17, {44}, 44, [](const LiveData& d) { return d.fsmCopy; }},
        DecodeCase{"TAIR", 12, 18, {0x3C}, 20, [](const LiveData& d) { return d.TAIR; }},
        DecodeCase{"SPD", 13, 19, {90}, 90, [](const LiveData& d) { return d.SPD; }},
        DecodeCase{"UGB", 14, 20, {123}, 12.3f, [](const LiveData& d) { return d.UGB; }},
        DecodeCase{"INJ", 15, 21, {0x71, 0x02}, 5.0, [](const LiveData& d) { return d.INJ; }},
        DecodeCase{"JAIR", 17, 23, {0x39, 0x30}, 1234.5, [](const LiveData& d) { return d.JAIR; }},
        // 13 times the single-precision 0.1 is 1.30000007 as a float, not 1.3f.
        DecodeCase{"JQT",
                   19,
                   25,
                   {0x0D, 0x00},
                   1.30000007f,
                   [](const LiveData& d) { return d.JQT; }},
        DecodeCase{"FAZ 40", 21, 27, {40}, 240, [](const LiveData& d) { return d.FAZ; }},
        DecodeCase{"FAZ 43", 21, 27, {43}, 2, [](const LiveData& d) { return d.FAZ; }},
        DecodeCase{"BDET", 22, 28, {0x0A}, 10, [](const LiveData& d) { return d.BDET; }},
        DecodeCase{"PABS low byte only",
                   23,
                   29,
                   {0x64, 0x03},
                   100,
                   [](const LiveData& d) { return d.PABS; }},
        DecodeCase{"LAM1", 25, 31, {0xC8}, 200, [](const LiveData& d) { return d.LAM1; }},
        DecodeCase{"LAM2", 26, 32, {0x14}, 20, [](const LiveData& d) { return d.LAM2; }},
        DecodeCase{"COEFF1 128", 27, 33, {128}, 1.0, [](const LiveData& d) { return d.COEFF1; }},
        DecodeCase{"COEFF1 0", 27, 33, {0}, 0.5, [](const LiveData& d) { return d.COEFF1; }},
        DecodeCase{"COEFF2 64", 28, 34, {64}, 0.75, [](const LiveData& d) { return d.COEFF2; }}));

struct FlagCase {
    int offset;
    int bit;
    const char* field;
    std::function<std::int32_t(const LiveData&)> get;
};

std::vector<FlagCase> flagCases() {
    return {
        {4, 0, "BITSTP", [](const LiveData& d) { return d.BITSTP; }},
        {4, 2, "RXX", [](const LiveData& d) { return d.RXX; }},
        {4, 4, "BLKINJ", [](const LiveData& d) { return d.BLKINJ; }},
        {4, 5, "BITPOW", [](const LiveData& d) { return d.BITPOW; }},
        {4, 6, "WRKLAM", [](const LiveData& d) { return d.WRKLAM; }},
        {4, 7, "RDET", [](const LiveData& d) { return d.RDET; }},
        {5, 0, "ADSORBER", [](const LiveData& d) { return d.ADSORBER; }},
        {5, 1, "BITATM", [](const LiveData& d) { return d.BITATM; }},
        {5, 2, "TKFWR1", [](const LiveData& d) { return d.TKFWR1; }},
        {5, 3, "TKFWR2", [](const LiveData& d) { return d.TKFWR2; }},
        {5, 4, "INPLAM1", [](const LiveData& d) { return d.INPLAM1; }},
        {5, 5, "INPLAM2", [](const LiveData& d) { return d.INPLAM2; }},
        {5, 6, "DET", [](const LiveData& d) { return d.DET; }},
        {6, 0, "CHECKEIGINE", [](const LiveData& d) { return d.CHECKEIGINE; }},
        {6, 1, "fanOn", [](const LiveData& d) { return d.fanOn; }},
        {6, 2, "airConditionerOn", [](const LiveData& d) { return d.airConditionerOn; }},
        {6, 3, "fuelPumpOn", [](const LiveData& d) { return d.fuelPumpOn; }},
        {6, 4, "coil14On", [](const LiveData& d) { return d.coil14On; }},
        {6, 5, "coil23On", [](const LiveData& d) { return d.coil23On; }},
    };
}

TEST(LiveDecodeFlags, EachBitSetsExactlyItsOwnFlag) {
    const std::vector<FlagCase> cases = flagCases();
    for (const FlagCase& setCase : cases) {
        Bytes answer(liveAnswerLengthShort, 0);
        answer[static_cast<std::size_t>(setCase.offset)] =
            static_cast<std::uint8_t>(1u << setCase.bit);
        LiveData data;
        decodeLiveData(answer, false, data);
        for (const FlagCase& c : cases) {
            EXPECT_EQ(c.get(data), c.field == setCase.field ? 1 : 0)
                << c.field << " with only " << setCase.field << " set";
        }
    }
}

TEST(LiveDecodeFlags, IgnoredBitsSetNoFlag) {
    Bytes answer(liveAnswerLengthShort, 0);
    answer[4] = 0x0A;
    answer[5] = 0x80;
    answer[6] = 0xC0;
    LiveData data;
    decodeLiveData(answer, false, data);
    for (const FlagCase& c : flagCases()) {
        EXPECT_EQ(c.get(data), 0) << c.field;
    }
}

TEST(LiveDecode, ShortLayoutLeavesSlowFieldsAndUnfilledFieldsAlone) {
    LiveData data;
    data.RCOK = 0.25f;
    data.JADS = 100;
    Bytes answer(liveAnswerLengthShort, 0xFF);
    decodeLiveData(answer, false, data);
    EXPECT_EQ(data.RCOK, 0.25f);
    EXPECT_EQ(data.JADS, 100);
    EXPECT_EQ(data.JQK, 0.0f);
    EXPECT_EQ(data.O2FLAGS, 0);
}

TEST(LiveDecode, BytesBeyondTheAnswerReadAsZero) {
    LiveData data;
    data.COEFF2 = 3.0f;
    decodeLiveData(Bytes{0x50}, false, data);
    EXPECT_EQ(data.TWAT, 40);
    EXPECT_EQ(data.COEFF2, 0.5f);
}

TEST(LiveData, ResetKeepsOnlyTheReadingsThatSurviveALostLink) {
    LiveData data;
    Bytes answer(liveAnswerLengthWithSlow, 0xFF);
    decodeLiveData(answer, true, data);
    data.slowCountdown = 5;
    const LiveData before = data;
    data.resetKeepingLastReadings();
    const LiveData fresh;
    EXPECT_EQ(data.TWAT, fresh.TWAT);
    EXPECT_EQ(data.FREQ, fresh.FREQ);
    EXPECT_EQ(data.RCOK, fresh.RCOK);
    EXPECT_EQ(data.fuelPumpOn, 1);
    EXPECT_EQ(data.CHECKEIGINE, 0);
    EXPECT_EQ(data.DET, 0);
    EXPECT_EQ(data.slowCountdown, 0);
    EXPECT_EQ(data.SSM, before.SSM);
    EXPECT_EQ(data.UGB, before.UGB);
    EXPECT_EQ(data.PABS, before.PABS);
    EXPECT_EQ(data.BDET, before.BDET);
    EXPECT_EQ((std::array<std::int32_t, 7>{data.WRKLAM, data.RDET, data.BITATM, data.TKFWR1,
                                           data.TKFWR2, data.INPLAM1, data.INPLAM2}),
              (std::array<std::int32_t, 7>{1, 1, 1, 1, 1, 1, 1}));
}

}  // namespace
}  // namespace ecuprobe::ecu
