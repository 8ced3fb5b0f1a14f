#include <CLI/CLI.hpp>

#include <cmath>
#include <csignal>
#include <memory>

#include "cli/command.h"
#include "cli/exit_codes.h"
#include "cli/live_printer.h"
#include "cli/option_checks.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "cli/wait_loop.h"

namespace ecuprobe::cli {

namespace {

struct LiveOptions {
    int count = 0;  // 0: until Ctrl-C
    double periodSeconds = 1.0;
    bool tsv = false;
};

void printRead(RunContext& run, const LiveOptions& options, const ecu::EcuSession& session,
               int number) {
    if (options.tsv) {
        run.out << tsvLine(session.liveData) << '\n';
    } else {
        run.out << "=== Чтение " << number << ": " << session.statusText << "===\n"
                << captionLines(session.liveData) << '\n';
    }
    run.out.flush();
}

// Zero once the moment has passed, also across the wrap of the tick count.
std::uint32_t msUntil(platform::Clock& clock, std::uint32_t momentMs) {
    const auto left = static_cast<std::int32_t>(momentMs - clock.tickMs());
    return left > 0 ? static_cast<std::uint32_t>(left) : 0;
}

// One read like the console's poll: a session that lost the ECU asks for its type
// first, so it comes back by itself when the ECU answers again.
bool readOnce(ecu::EcuSession& session) {
    if (session.connected == 0) {
        session.identifyEcuType();
    }
    return session.readLiveData() == 0;
}

int runLive(RunContext& run, const LiveOptions& options) {
    SessionScope scope(run);
    if (const int code = scope.connect(); code != exitOk) {
        return scope.finish(code);
    }
    ecu::EcuSession& session = scope.session();
    platform::RealClock clock;
    const auto periodMs = static_cast<std::uint32_t>(std::lround(options.periodSeconds * 1000));
    if (options.tsv) {
        run.out << tsvHeader() << '\n';
    }
    int reads = 0;
    int lost = 0;
    std::uint32_t nextMs = clock.tickMs();
    while ((options.count == 0 || reads < options.count) && !StopSignals::requested() &&
           !run.outputLost()) {
        if (reads > 0 && !sleepUnlessStopped(clock, msUntil(clock, nextMs))) {
            break;
        }
        nextMs = clock.tickMs() + periodMs;
        ++reads;
        if (readOnce(session)) {
            printRead(run, options, session, reads);
        } else {
            ++lost;
            run.err << "ecuprobe-cli: read " << reads << ": " << session.statusText << '\n';
        }
    }
    if (lost > 0) {
        run.err << "ecuprobe-cli: " << lost << " of " << reads << " reads got no answer\n";
        return scope.finish(exitNoAnswer);
    }
    const int status = scope.finish(exitOk);
    // Without a count, Ctrl-C is the way to stop and not a failure.
    const bool stoppedByCtrlC = status == exitSignalBase + SIGINT;
    return options.count == 0 && stoppedByCtrlC ? exitOk : status;
}

}  // namespace

void addLiveCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<LiveOptions>();
    CLI::App* command =
        app.add_subcommand("live", "Read the live values every period, as the console shows them");
    command->add_option("-n,--count", options->count, "Number of reads; 0 reads until Ctrl-C")
        ->check(wholeNumberIn(0, 1'000'000));
    command
        ->add_option("-p,--period", options->periodSeconds,
                     "Seconds from one read to the next (each read itself takes about 0.2 s)")
        ->check(numberIn(0.0, 3600.0));
    command->add_flag("--tsv", options->tsv,
                      "One tab-separated line per read under a header of field names");
    command->footer(
        "Every tenth read also brings the slow values (RCOK, RCOD, UOZOC, JDMM, JEGR, JADS).\n"
        "Examples:\n"
        "  ecuprobe-cli live --count 3\n"
        "  ecuprobe-cli --port COM2 live --period 0.5 --tsv > idle.tsv\n"
        "  ecuprobe-cli --simulate coldstart live --count 60 --tsv");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runLive(run, *options); };
    });
}

}  // namespace ecuprobe::cli
