#pragma once

#include <cstdint>
#include <string_view>

namespace ecuprobe::ecu {

// How the ECU took a write (command 0x62): an answer whose first byte is 0
// accepts it, any other answer refuses it, and it may not answer at all. A
// write asked for after a stop is withheld: it never went out.
enum class WriteReply : std::uint8_t { acknowledged, refused, unanswered, withheld };

// "ЭБУ отказал", "нет ответа", "не отправлено"; empty for an acknowledged write.
constexpr std::string_view writeReplyProblem(WriteReply reply) {
    switch (reply) {
        case WriteReply::refused:
            return "ЭБУ отказал";
        case WriteReply::unanswered:
            return "нет ответа";
        case WriteReply::withheld:
            return "не отправлено: остановка";
        case WriteReply::acknowledged:
            break;
    }
    return {};
}

}  // namespace ecuprobe::ecu
