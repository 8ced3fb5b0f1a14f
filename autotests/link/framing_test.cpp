#include "link/framing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "case_names.h"
#include "link/wire_examples.h"

namespace ecuprobe::link {
namespace {

using ecuprobe::case_names::PrintTo;

using testing_support::Bytes;
using testing_support::WireExample;

class EncodeFrame : public testing::TestWithParam<WireExample> {};

TEST_P(EncodeFrame, MatchesTheWireBytes) {
    EXPECT_EQ(encodeFrame(GetParam().payload), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(WireExamples, EncodeFrame,
                         testing::ValuesIn(testing_support::requestWireExamples));

// The receive buffer between two guard areas, so that a write before index 0 or
// past index 255 shows up as a changed guard.
struct GuardedBuffer {
    static constexpr std::uint8_t guardValue = 0xA5;
    std::array<std::uint8_t, 16> before{};
    std::array<std::uint8_t, frameBufferSize> buffer{};
    std::array<std::uint8_t, 16> after{};

    GuardedBuffer() {
        before.fill(guardValue);
        after.fill(guardValue);
    }
    bool guardsIntact() const {
        auto intact = [](std::uint8_t b) { return b == guardValue; };
        return std::all_of(before.begin(), before.end(), intact) &&
               std::all_of(after.begin(), after.end(), intact);
    }
};

struct Fed {
    std::vector<FeedResult> results;
    GuardedBuffer memory;
    FrameCollector collector;
};

Fed feedAll(const Bytes& raw) {
    Fed fed;
    for (std::uint8_t c : raw) {
        fed.results.push_back(feedByte(fed.collector, fed.memory.buffer, c));
    }
    return fed;
}

struct DecodeCase {
    std::string name;
    Bytes raw;
    FeedResult last;
    Bytes stored;  // the start of the buffer afterwards
};

class FeedByte : public testing::TestWithParam<DecodeCase> {};

TEST_P(FeedByte, DecodesTheRawBytes) {
    const Fed fed = feedAll(GetParam().raw);
    EXPECT_EQ(fed.results.back(), GetParam().last);
    const Bytes start(fed.memory.buffer.begin(),
                      fed.memory.buffer.begin() + static_cast<long>(GetParam().stored.size()));
    EXPECT_EQ(start, GetParam().stored);
    EXPECT_TRUE(fed.memory.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FeedByte,
    testing::Values(
        DecodeCase{"PlainFrame", {0x09, 0xF7, 0x0D}, FeedResult::complete, {0x09, 0xF7, 0x0D, 0}},
        DecodeCase{"EscapedTerminatorIsData",
                   {0x40, 0xCD, 0xF3, 0x0D},
                   FeedResult::complete,
                   {0x0D, 0xF3, 0x0D, 0}},
        DecodeCase{"EscapedEscapeIsData",
                   {0x40, 0x00, 0xC0, 0x0D},
                   FeedResult::complete,
                   {0x40, 0xC0, 0x0D}},
        DecodeCase{"TerminatorRightAfterEscapeIsAddedNotEnding",
                   {0x40, 0x0D, 0xB3, 0x0D},
                   FeedResult::complete,
                   {0x4D, 0xB3, 0x0D}},
        DecodeCase{"BadSumIsDropped", {0x09, 0xF6, 0x0D}, FeedResult::dropped, {0x09, 0xF6, 0x0D}},
        DecodeCase{"FrameAfterBadSumIsTaken",
                   {0x01, 0x02, 0x03, 0x04, 0x0D, 0x09, 0xF7, 0x0D},
                   FeedResult::complete,
                   {0x09, 0xF7, 0x0D, 0x04, 0x0D}},
        // The checksum travels unescaped and can be the terminator or the escape byte.
        DecodeCase{"ChecksumThatIsATerminatorBeforeTheTerminator",
                   {0xF3, 0x0D, 0x0D},
                   FeedResult::complete,
                   {0xF3, 0x0D, 0x0D, 0x00}},
        DecodeCase{"ChecksumThatIsTheEscapeByteBeforeTheTerminator",
                   {0xF3, 0x02, 0x40, 0xCD, 0xCD, 0xCD, 0x02, 0x22, 0x40, 0x0D},
                   FeedResult::complete,
                   {0xF3, 0x02, 0x0D, 0xCD, 0xCD, 0x02, 0x22, 0x40, 0x0D, 0x00}},
        DecodeCase{"PurgeOffRequestWithChecksum0x40",
                   {0x62, 0x5E, 0x00, 0x40, 0x0D},
                   FeedResult::complete,
                   {0x62, 0x5E, 0x00, 0x40, 0x0D}},
        // A 0x0D that brings the sum to 0 but is followed by data ended a frame with
        // a bad sum: the data starts the next frame.
        DecodeCase{"ZeroSumTerminatorFollowedByDataStartsTheNextFrame",
                   {0xF3, 0x0D, 0x09, 0xF7, 0x0D},
                   FeedResult::complete,
                   {0x09, 0xF7, 0x0D, 0x00}},
        DecodeCase{"ZeroSumTerminatorWaitsForTheNextByte",
                   {0xF3, 0x0D},
                   FeedResult::collecting,
                   {0xF3, 0x0D}},
        // No payload: not an answer, collection goes on.
        DecodeCase{"LoneTerminatorIsNoAnswer", {0x0D}, FeedResult::dropped, {0x0D}},
        DecodeCase{
            "ChecksumAndTerminatorOnlyIsNoAnswer", {0x00, 0x0D}, FeedResult::dropped, {0x00, 0x0D}},
        DecodeCase{"FrameAfterAnEmptyOneIsTaken",
                   {0x0D, 0x09, 0xF7, 0x0D},
                   FeedResult::complete,
                   {0x09, 0xF7, 0x0D}},
        DecodeCase{
            "UnfinishedFrameKeepsCollecting", {0x09, 0xF7}, FeedResult::collecting, {0x09, 0xF7}}),
    [](const auto& testCase) { return testCase.param.name; });

Bytes repeated(std::size_t count, std::uint8_t value) {
    return Bytes(count, value);
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(FeedByteOverlong, DropsAFrameLongerThanTheBufferAndTakesTheNext) {
    const Fed fed = feedAll(joined({repeated(300, 0x01), {0x0D}, {0x09, 0xF7, 0x0D}}));
    EXPECT_EQ(fed.results.back(), FeedResult::complete);
    EXPECT_EQ(fed.collector.rxLength, 3);
    EXPECT_EQ(fed.memory.buffer[0], 0x09);
    EXPECT_TRUE(fed.memory.guardsIntact());
    EXPECT_EQ(std::count(fed.results.begin(), fed.results.end(), FeedResult::complete), 1);
}

TEST(FeedByteOverlong, EscapeOnTheLastSlotNeverReachesOutsideTheBuffer) {
    // 255 plain bytes, then 0x40 in slot 255 and an escaped 0x0D that must not end the
    // skipped frame; only the unescaped 0x0D after it does.
    const Fed fed = feedAll(
        joined({repeated(255, 0x01), {0x40, 0x0D, 0x40, 0xCD}, {0x0D}, {0x09, 0xF7, 0x0D}}));
    EXPECT_EQ(fed.results.back(), FeedResult::complete);
    EXPECT_EQ(std::count(fed.results.begin(), fed.results.end(), FeedResult::complete), 1);
    EXPECT_EQ(fed.memory.buffer[0], 0x09);
    EXPECT_TRUE(fed.memory.guardsIntact());
}

TEST(FeedByteOverlong, ValidFrameFillingTheWholeBufferIsAccepted) {
    // 254 data bytes summing to 254 * 0x01, then the checksum and the terminator: 256 bytes.
    const Fed fed = feedAll(joined({repeated(254, 0x01), {0x02, 0x0D}}));
    EXPECT_EQ(fed.results.back(), FeedResult::complete);
    EXPECT_EQ(fed.memory.buffer[255], 0x0D);
    EXPECT_TRUE(fed.memory.guardsIntact());
}

}  // namespace
}  // namespace ecuprobe::link
