#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "ecu/live_data.h"
#include "platform/clock.h"

namespace ecuprobe::console {

// A drive's live values as a tab-separated log in the layout that engine-log
// viewers (MegaLogViewer) read, one column per field of liveFields():
//
//   Time<TAB>TWAT<TAB>TAIR...    names
//   s<TAB>°C<TAB>°C...           units (empty for flags and ratios)
//   0.000<TAB>90<TAB>31...       one row per read; Time in seconds since start()
//
// Rows are written out at most a second after they are added (add() and
// flushIfDue() see to it), so a crash or a pulled cable loses at most a second
// of the drive; the stream is flushed each time.
class DriveLog {
public:
    static constexpr std::uint32_t flushIntervalMs = 1000;

    DriveLog(std::ostream& sink, platform::Clock& logClock) : out(sink), clock(logClock) {}

    // Writes the names and units lines at once and starts the Time column at 0.
    void start();
    // A row of data at the clock's time.
    void add(const ecu::LiveData& data);
    // Writes out the rows kept, once a second has passed since the last time.
    void flushIfDue();
    // Writes out every row kept; false when the stream failed at any point.
    bool finish();

    // A line could not be written (disk full, device error).
    bool failed() const { return !out; }
    std::size_t rowCount() const { return rows; }

private:
    void writeOut();

    std::ostream& out;
    platform::Clock& clock;
    std::uint32_t startMs = 0;
    std::uint32_t lastFlushMs = 0;
    std::string pending;
    std::size_t rows = 0;
};

}  // namespace ecuprobe::console
