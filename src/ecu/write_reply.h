#pragma once

#include <cstdint>
#include <string_view>

namespace ecuprobe::ecu {

// How the ECU took a write (command 0x62): an answer whose first byte is 0
// accepts it, any other answer refuses it, and it may not answer at all.
enum class WriteReply : std::uint8_t { acknowledged, refused, unanswered };

// "ЭБУ отказал", "нет ответа"; empty for an acknowledged write.
constexpr std::string_view writeReplyProblem(WriteReply reply) {
    switch (reply) {
        case WriteReply::refused:
            return "ЭБУ отказал";
        case WriteReply::unanswered:
            return "нет ответа";
        case WriteReply::acknowledged:
            break;
    }
    return {};
}

}  // namespace ecuprobe::ecu
