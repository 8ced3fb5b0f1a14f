// The receiver against the plain decoding rule over random payloads: a frame that
// rule reads must read the same, and every frame a sender makes must read back.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <vector>

#include "link/framing.h"

namespace ecuprobe::link {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The rule as it stands, without the cases the receiver adds: 0x40 adds the next
// byte to itself, an unescaped 0x0D ends the frame, valid when all bytes sum to 0x0D.
std::optional<Bytes> plainRule(const Bytes& raw) {
    Bytes stored;
    std::uint8_t sum = 0;
    bool escape = false;
    for (std::uint8_t c : raw) {
        sum = static_cast<std::uint8_t>(sum + c);
        if (escape) {
            stored.back() = static_cast<std::uint8_t>(stored.back() + c);
            escape = false;
            continue;
        }
        stored.push_back(c);
        if (c == escapeByte) {
            escape = true;
        } else if (c == frameTerminator) {
            if (sum == frameTerminator) {
                return stored;
            }
            stored.clear();
            sum = 0;
        }
    }
    return std::nullopt;
}

std::optional<Bytes> receiver(const Bytes& raw) {
    FrameCollector collector;
    std::array<std::uint8_t, frameBufferSize> buffer{};
    for (std::uint8_t c : raw) {
        if (feedByte(collector, buffer, c) == FeedResult::complete) {
            return Bytes(buffer.begin(), buffer.begin() + collector.rxLength);
        }
    }
    return std::nullopt;
}

Bytes randomPayload(std::mt19937& random) {
    std::uniform_int_distribution<int> length(1, 120);
    // Skewed towards the two special values so that escapes and special sums are common.
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<int> any(0, 255);
    Bytes payload(static_cast<std::size_t>(length(random)));
    for (std::uint8_t& b : payload) {
        const int kind = pick(random);
        b = static_cast<std::uint8_t>(kind == 0   ? frameTerminator
                                      : kind == 1 ? escapeByte
                                                  : any(random));
    }
    return payload;
}

Bytes withChecksumAndTerminator(const Bytes& payload, const Bytes& wire) {
    Bytes expected = payload;
    expected.push_back(wire[wire.size() - 2]);
    expected.push_back(frameTerminator);
    return expected;
}

TEST(FramingProperty, EveryFrameASenderMakesReadsBackAndPlainReadsAreUnchanged) {
    std::mt19937 random(20261207);
    int checksumSpecial = 0;
    for (int i = 0; i < 20000; ++i) {
        const Bytes payload = randomPayload(random);
        const Bytes wire = encodeFrame(payload);
        const std::optional<Bytes> got = receiver(wire);
        ASSERT_TRUE(got.has_value()) << "case " << i;
        EXPECT_EQ(*got, withChecksumAndTerminator(payload, wire)) << "case " << i;
        const std::optional<Bytes> plain = plainRule(wire);
        const bool plainReadsThePayload = plain && plain->size() > 2;
        if (plainReadsThePayload) {
            EXPECT_EQ(*got, *plain) << "case " << i;
        } else {
            ++checksumSpecial;
        }
    }
    // The frames the plain rule loses are those with a checksum of 0x0D or 0x40.
    EXPECT_GT(checksumSpecial, 0);
}

TEST(FramingProperty, AFrameAfterNoiseReadsAsThePlainRuleReadsIt) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(0, 255);
    for (int i = 0; i < 5000; ++i) {
        // A frame with a wrong sum first, as noise on the line; then a good one.
        Bytes noise = encodeFrame(randomPayload(random));
        noise[noise.size() - 2] =
            static_cast<std::uint8_t>(noise[noise.size() - 2] + 1 + any(random) % 200);
        const Bytes payload = randomPayload(random);
        const Bytes wire = encodeFrame(payload);
        Bytes raw = noise;
        raw.insert(raw.end(), wire.begin(), wire.end());
        const std::optional<Bytes> plain = plainRule(raw);
        if (!plain || plain->size() <= 2 || plainRule(noise)) {
            continue;
        }
        EXPECT_EQ(receiver(raw), plain) << "case " << i;
    }
}

}  // namespace
}  // namespace ecuprobe::link
