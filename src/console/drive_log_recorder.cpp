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

DriveLogPause driveLogPause(bool testRunning, bool ecuAnswering) {
    if (testRunning) {
        return DriveLogPause::testRunning;
    }
    return ecuAnswering ? DriveLogPause::none : DriveLogPause::linkDown;
}

std::string driveLogStateText(std::string_view path, std::size_t rows, DriveLogPause pause) {
    if (path.empty()) {
        return {};
    }
    const std::size_t slash = path.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string text = "Лог";
    switch (pause) {
        case DriveLogPause::none:
            break;
        case DriveLogPause::testRunning:
            text += " на паузе (идёт тест)";
            break;
        case DriveLogPause::linkDown:
            text += " на паузе (нет связи с ЭБУ)";
            break;
    }
    text += ": ";
    text += name;
    text += ", строк: " + std::to_string(rows);
    return text;
}

}  // namespace ecuprobe::console
