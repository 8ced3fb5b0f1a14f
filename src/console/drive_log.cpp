#include "console/drive_log.h"

#include <cstdio>

#include "console/live_fields.h"

namespace ecuprobe::console {

void DriveLog::start() {
    std::string names = "Time";
    std::string units = "s";
    for (const LiveField& field : liveFields()) {
        names += '\t';
        names += field.name;
        units += '\t';
        units += fieldUnit(field);
    }
    out << names << '\n' << units << '\n';
    out.flush();
    startMs = clock.tickMs();
    lastFlushMs = startMs;
}

void DriveLog::add(const ecu::LiveData& data) {
    // Unsigned difference: the Time column survives the wrap of the tick count.
    const std::uint32_t sinceStartMs = clock.tickMs() - startMs;
    char time[24];
    std::snprintf(time, sizeof time, "%u.%03u", sinceStartMs / 1000, sinceStartMs % 1000);
    pending += time;
    for (const LiveField& field : liveFields()) {
        pending += '\t';
        pending += fieldText(field, data);
    }
    pending += '\n';
    ++rows;
    flushIfDue();
}

void DriveLog::flushIfDue() {
    if (clock.tickMs() - lastFlushMs >= flushIntervalMs) {
        writeOut();
    }
}

void DriveLog::writeOut() {
    lastFlushMs = clock.tickMs();
    if (!pending.empty()) {
        out << pending;
        pending.clear();
    }
    out.flush();
}

bool DriveLog::finish() {
    writeOut();
    return !failed();
}

}  // namespace ecuprobe::console
