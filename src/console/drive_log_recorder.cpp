#include "console/drive_log_recorder.h"

#include "platform/utf8_path.h"

namespace ecuprobe::console {

bool DriveLogRecorder::start(const std::string& path, platform::Clock& clock,
                             std::uint32_t liveReads) {
    stop();
    file.open(platform::utf8Path(path), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
        return false;
    }
    where = path;
    readsLogged = liveReads;
    log = std::make_unique<DriveLog>(file, clock);
    log->start();
    if (log->failed()) {
        stop();
        return false;
    }
    return true;
}

bool DriveLogRecorder::afterPoll(std::uint32_t liveReads, const ecu::LiveData& live) {
    if (!log) {
        return true;
    }
    if (liveReads != readsLogged) {
        readsLogged = liveReads;
        log->add(live);
    } else {
        log->flushIfDue();
    }
    if (log->failed()) {
        stop();
        return false;
    }
    return true;
}

bool DriveLogRecorder::stop() {
    if (!log) {
        return true;
    }
    bool written = log->finish();
    rowsWritten = log->rowCount();
    log.reset();
    file.close();
    return written && !file.fail();
}

}  // namespace ecuprobe::console
