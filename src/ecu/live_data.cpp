#include "ecu/live_data.h"

#include "ecu/ecu_commands.h"
#include "ecu/live_fields.h"

namespace ecuprobe::ecu {

namespace {

unsigned rawValue(const LiveField& field, std::span<const std::uint8_t> bytes) {
    const auto at = [&bytes](std::size_t i) -> unsigned { return i < bytes.size() ? bytes[i] : 0; };
    unsigned raw = field.width == 2 ? at(0) | at(1) << 8 : at(0);
    if (field.bit >= 0) {
        raw = (raw >> field.bit) & 1u;
    }
    return raw;
}

}  // namespace

void decodeLiveVariable(std::uint8_t variable, std::span<const std::uint8_t> value,
                        LiveData& data) {
    for (const LiveField& row : liveFieldTable()) {
        if (row.variable == variable && variable != 0) {
            row.store(data, row.convert(rawValue(row, value)));
        }
    }
}

void decodeLiveData(std::span<const std::uint8_t> answer, bool withSlowGroup, LiveData& data) {
    std::size_t offset = 0;
    const LiveField* previous = nullptr;
    for (const LiveField& row : liveFieldTable()) {
        if (row.variable == 0 || (row.slow && !withSlowGroup)) {
            continue;
        }
        if (previous != nullptr && previous->variable != row.variable) {
            offset += previous->width;
        }
        previous = &row;
        const auto rest = offset < answer.size() ? answer.subspan(offset) : answer.last(0);
        row.store(data, row.convert(rawValue(row, rest)));
    }
}

std::size_t buildLiveRequest(bool withSlowGroup, std::span<std::uint8_t> out) {
    const std::size_t length = withSlowGroup ? liveRequestLengthWithSlow : liveRequestLengthShort;
    if (out.size() < length) {
        return 0;
    }
    std::size_t n = 0;
    out[n++] = readVariablesCommand;
    std::uint8_t previous = 0;
    for (const LiveField& row : liveFieldTable()) {
        if (row.variable != 0 && row.variable != previous && (withSlowGroup || !row.slow)) {
            out[n++] = row.variable;
            previous = row.variable;
        }
    }
    return n;
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
