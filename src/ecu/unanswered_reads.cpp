#include "ecu/unanswered_reads.h"

#include <algorithm>

namespace ecuprobe::ecu {

void UnansweredReads::add(std::string_view part) {
    if (std::find(parts.begin(), parts.end(), part) == parts.end()) {
        parts.push_back(part);
    }
}

void UnansweredReads::add(const UnansweredReads& more) {
    for (const std::string_view part : more.parts) {
        add(part);
    }
}

std::string UnansweredReads::text() const {
    std::string said;
    for (const std::string_view part : parts) {
        said += said.empty() ? "ЭБУ не ответил: " : ", ";
        said += part;
    }
    return said;
}

}  // namespace ecuprobe::ecu
