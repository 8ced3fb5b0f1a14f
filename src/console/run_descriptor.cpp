#include "console/run_descriptor.h"

namespace ecuprobe::console {

namespace {

using Q = Quantity;
using Rule = LevelCheck::Rule;

constexpr float millisecond = 0.001f;

}  // namespace

float perSecond(std::int32_t change, float seconds) {
    return seconds > 0 ? static_cast<float>(change) / seconds : 0.0f;
}

FieldValue valueOf(Quantity quantity, const measure::TestResult& r, float seconds, int gear) {
    switch (quantity) {
        case Q::seconds:
            return seconds;
        case Q::rpmFirst:
            return std::int64_t{r.freqFirst};
        case Q::rpmLast:
            return std::int64_t{r.freqLast};
        case Q::speedFirst:
            return std::int64_t{r.spdFirst};
        case Q::speedLast:
            return std::int64_t{r.spdLast};
        case Q::coolantFirst:
            return std::int64_t{r.twatFirst};
        case Q::coolantLast:
            return std::int64_t{r.twatLast};
        case Q::coolantChange:
            return std::int64_t{r.twatLast - r.twatFirst};
        case Q::fuelPerHourFirst:
            return r.jqtFirst;
        case Q::fuelPerHourLast:
            return r.jqtLast;
        case Q::fuelPerDistanceFirst:
            return r.jqkFirst;
        case Q::fuelPerDistanceLast:
            return r.jqkLast;
        case Q::airFirst:
            return r.jairFirst;
        case Q::airLast:
            return r.jairLast;
        case Q::engineRise:
            return perSecond(r.freqLast - r.freqFirst, seconds);
        case Q::vehicleRise:
            return perSecond(r.spdLast - r.spdFirst, seconds);
        case Q::engineFall:
            return perSecond(r.freqFirst - r.freqLast, seconds);
        case Q::vehicleFall:
            return perSecond(r.spdFirst - r.spdLast, seconds);
        case Q::gear:
            break;
    }
    return std::int64_t{gear};
}

float runSeconds(const measure::TestResult& record) {
    return static_cast<float>(record.durationMs) * millisecond;
}

std::uint32_t firstFourDigits(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text.substr(0, 4)) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

std::optional<TestMessage> refusedLevels(const RunDescriptor& test, std::int64_t start,
                                         std::int64_t end) {
    for (const LevelCheck& check : test.checks) {
        bool refused = false;
        switch (check.rule) {
            case Rule::endAbove:
                refused = end > check.limit;
                break;
            case Rule::startBelow:
                refused = start < check.limit;
                break;
            case Rule::riseUnder:
                refused = end - start < check.limit;
                break;
            case Rule::fallUnder:
                refused = start - end < check.limit;
                break;
            case Rule::same:
                refused = start == end;
                break;
        }
        if (refused) {
            return TestMessage{check.message, inputCaption};
        }
    }
    return std::nullopt;
}

}  // namespace ecuprobe::console
