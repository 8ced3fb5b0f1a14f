#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "console/drive_log.h"
#include "ecu/live_data.h"
#include "platform/clock.h"

namespace ecuprobe::console {

// "Запись лога" of a console: a row of the live values for every poll that read
// them, in DriveLog's layout, in a file of the person's choice. Lives on
// the link thread beside the panel whose reads it counts.
class DriveLogRecorder {
public:
    // Empties or creates the file and writes its two head lines; liveReads is the
    // panel's count so far, so that the first row is the next read. False when the
    // file cannot be written.
    bool start(const std::string& path, platform::Clock& clock, std::uint32_t liveReads);
    // After each report of the panel: a row when its count of live reads grew,
    // and the rows kept written out once a second. False when a write failed;
    // the log has stopped then.
    bool afterPoll(std::uint32_t liveReads, const ecu::LiveData& live);
    // Writes out every row kept and closes the file; false when any write failed.
    bool stop();

    bool running() const { return log != nullptr; }
    // The file of the log that runs, or of the last one.
    const std::string& path() const { return where; }
    // The rows of the log that runs, or of the last one.
    std::size_t rows() const { return log ? log->rowCount() : rowsWritten; }

private:
    std::ofstream file;
    std::unique_ptr<DriveLog> log;
    std::string where;
    std::uint32_t readsLogged = 0;
    std::size_t rowsWritten = 0;
};

// Why a running log takes no rows just now: a test holds the line, or the ECU
// does not answer (a row is written only for a poll that read the live values).
enum class DriveLogPause { none, testRunning, linkDown };

DriveLogPause driveLogPause(bool testRunning, bool ecuAnswering);

// The console's line beside "Запись лога": the file's name, the rows written
// and a pause with its cause; empty while no log runs (an empty path).
std::string driveLogStateText(std::string_view path, std::size_t rows, DriveLogPause pause);

}  // namespace ecuprobe::console
