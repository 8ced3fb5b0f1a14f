#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli/command.h"
#include "cli/live_reads.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "cli/wait_loop.h"
#include "console/drive_log.h"
#include "line/exit_codes.h"
#include "line/option_checks.h"
#include "platform/utf8_path.h"

namespace ecuprobe::cli {

namespace {

struct LogOptions {
    std::string outPath;
    int periodMs = 0;  // 0: as fast as the reads go
};

// Tells before anything is sent whether the file can be written, without
// emptying one that is there: it is emptied only once the ECU has answered.
// When it cannot, `why` keeps the errno of the open.
bool canWrite(const std::filesystem::path& path, bool& existed, int& why) {
    std::error_code unknown;
    existed = std::filesystem::exists(path, unknown);
    errno = 0;
    const std::ofstream probe(path, std::ios::out | std::ios::app);
    why = errno;
    return static_cast<bool>(probe);
}

// Sleeps until the moment in slices, so that the rows kept reach the file in time.
bool waitWritingOut(platform::Clock& clock, std::uint32_t momentMs, console::DriveLog& log) {
    for (std::uint32_t left = msUntil(clock, momentMs); left > 0; left = msUntil(clock, momentMs)) {
        if (!sleepUnlessStopped(clock, std::min(left, console::DriveLog::flushIntervalMs / 4))) {
            return false;
        }
        log.flushIfDue();
    }
    return true;
}

// Reads and logs until a stop signal or a write that failed.
void logUntilStopped(RunContext& run, ecu::EcuSession& session, const LogOptions& options,
                     platform::Clock& clock, console::DriveLog& log) {
    LiveReads reader(run, session);
    log.start();
    while (!StopSignals::requested() && !log.failed() && !run.outputLost()) {
        const LiveReads::Outcome outcome = reader.next();
        const std::uint32_t nextMs =
            clock.tickMs() +
            LiveReads::pauseAfter(outcome, static_cast<std::uint32_t>(options.periodMs));
        if (outcome == LiveReads::Outcome::read) {
            log.add(session.liveData());
        }
        log.flushIfDue();
        if (!waitWritingOut(clock, nextMs, log)) {
            break;
        }
    }
}

int runLog(RunContext& run, const LogOptions& options) {
    const std::filesystem::path path = platform::utf8Path(options.outPath);
    if (const int refused = refuseOutputOnPort(run, "the log file", options.outPath)) {
        return refused;
    }
    bool existed = false;
    int why = 0;
    if (!canWrite(path, existed, why)) {
        run.err << "ecuprobe-cli: cannot write the log file " << options.outPath << ": "
                << std::strerror(why) << '\n';
        return line::exitCannotCreate;
    }
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        if (!existed) {
            std::error_code unknown;
            std::filesystem::remove(path, unknown);
        }
        return scope.finish(code);
    }
    std::ofstream file(path, std::ios::out | std::ios::trunc | std::ios::binary);
    platform::RealClock clock;
    console::DriveLog log(file, clock);
    logUntilStopped(run, scope.session(), options, clock, log);
    bool written = log.finish();
    file.close();
    written = written && !file.fail();
    if (!written) {
        run.err << "ecuprobe-cli: cannot write the log file " << options.outPath << '\n';
    } else {
        run.out << log.rowCount() << " reads logged to " << options.outPath << '\n';
    }
    const int code = written ? line::exitOk : line::exitIoError;
    const int status = scope.finish(code);
    // Ctrl-C is how a log ends, not a failure.
    return status == line::exitSignalBase + SIGINT ? code : status;
}

}  // namespace

void addLogCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<LogOptions>();
    CLI::App* command = app.add_subcommand(
        "log", "Log the live values of a drive to a tab-separated file until Ctrl-C");
    command->add_option("-o,--out", options->outPath, "The log file (emptied first)")
        ->required()
        ->type_name("FILE")
        ->check(line::nonEmptyPath());
    command
        ->add_option("-p,--period", options->periodMs,
                     "Least milliseconds from one read to the next; 0 reads as fast as the "
                     "poll allows (about 6 reads a second)")
        ->check(line::wholeNumberIn(0, 3'600'000));
    command->footer(line::helpForThisSystem(
        "The first line names the columns (Time, then the live values), the second gives\n"
        "their units, each further line is one read with Time in seconds: the layout\n"
        "MegaLogViewer and spreadsheets read. Rows reach the file at least once a second,\n"
        "so a crash or a pulled cable loses at most a second. A pulled adapter is looked\n"
        "for again and the log goes on when it is back.\n"
        "Examples:\n"
        "  ecuprobe-cli --port /dev/ttyUSB0 log --out drive.msl\n"
        "  ecuprobe-cli --simulate road log --out road.msl --period 200"));
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runLog(run, *options); };
    });
}

}  // namespace ecuprobe::cli
