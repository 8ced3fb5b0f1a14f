#include "link/framing.h"

#include <gtest/gtest.h>

#include <vector>

namespace ecuprobe::link {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct EncodeCase {
    Bytes payload;
    Bytes wire;
};

class EncodeFrame : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeFrame, MatchesTheWireBytes) {
    EXPECT_EQ(encodeFrame(GetParam().payload), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    WireExamples, EncodeFrame,
    testing::Values(EncodeCase{{0x01}, {0x01, 0xFF, 0x0D}},
                    EncodeCase{{0x63}, {0x63, 0x9D, 0x0D}},
                    EncodeCase{{0x64, 0x20}, {0x64, 0x20, 0x7C, 0x0D}},
                    EncodeCase{{0x62, 0x0D, 0x00}, {0x62, 0x40, 0xCD, 0x00, 0x91, 0x0D}},
                    EncodeCase{{0xF3}, {0xF3, 0x0D, 0x0D}},
                    EncodeCase{{0x40}, {0x40, 0x00, 0xC0, 0x0D}}));

}  // namespace
}  // namespace ecuprobe::link
