#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ecuprobe::ecu {

// The names of what a service asked the ECU for and got no answer to, in the
// order asked: their fields stay empty (the live values keep the reset's), and a
// face says so instead of passing them for read.
class UnansweredReads {
public:
    // A name given twice is kept once.
    void add(std::string_view part);
    void add(const UnansweredReads& more);
    bool empty() const { return parts.empty(); }
    void clear() { parts.clear(); }
    const std::vector<std::string_view>& names() const { return parts; }
    // "ЭБУ не ответил: паспорт данных, комплектация"; empty when nothing is missing.
    std::string text() const;

    bool operator==(const UnansweredReads&) const = default;

private:
    std::vector<std::string_view> parts;
};

// What the reads are called in that text.
namespace unanswered {
inline constexpr std::string_view liveValues = "текущие значения";
inline constexpr std::string_view faultList = "неисправности";
inline constexpr std::string_view identification = "идентификация";
inline constexpr std::string_view equipment = "комплектация";
}  // namespace unanswered

}  // namespace ecuprobe::ecu
