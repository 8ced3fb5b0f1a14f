#include <CLI/CLI.hpp>

#include <cmath>
#include <csignal>
#include <memory>

#include "cli/command.h"
#include "cli/live_printer.h"
#include "cli/live_reads.h"
#include "cli/session_scope.h"
#include "cli/stop_signals.h"
#include "cli/wait_loop.h"
#include "line/exit_codes.h"
#include "line/option_checks.h"

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
        run.out << tsvLine(session.liveData()) << '\n';
    } else {
        run.out << "=== Чтение " << number << ": " << session.statusText() << "===\n"
                << captionLines(session.liveData()) << '\n';
    }
    run.out.flush();
}

struct ReadCount {
    int reads = 0;
    int lost = 0;
};

// Reads every period until the count, a stop signal or lost output.
ReadCount readUntilDone(RunContext& run, const LiveOptions& options, ecu::EcuSession& session) {
    LiveReads reader(run, session);
    platform::RealClock clock;
    const auto periodMs = static_cast<std::uint32_t>(std::lround(options.periodSeconds * 1000));
    ReadCount count;
    std::uint32_t nextMs = clock.tickMs();
    while ((options.count == 0 || count.reads < options.count) && !StopSignals::requested() &&
           !run.outputLost()) {
        if (count.reads > 0 && !sleepUnlessStopped(clock, msUntil(clock, nextMs))) {
            break;
        }
        ++count.reads;
        const LiveReads::Outcome outcome = reader.next();
        nextMs = clock.tickMs() + LiveReads::pauseAfter(outcome, periodMs);
        if (outcome == LiveReads::Outcome::read) {
            printRead(run, options, session, count.reads);
            continue;
        }
        ++count.lost;
        if (outcome == LiveReads::Outcome::noAnswer) {
            run.err << "ecuprobe-cli: read " << count.reads << ": " << session.statusText() << '\n';
        }
    }
    return count;
}

int runLive(RunContext& run, const LiveOptions& options) {
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    if (options.tsv) {
        run.out << tsvHeader() << '\n';
    }
    const ReadCount count = readUntilDone(run, options, scope.session());
    if (count.lost > 0) {
        run.err << "ecuprobe-cli: " << count.lost << " of " << count.reads
                << " reads got no answer\n";
        return scope.finish(line::exitNoAnswer);
    }
    const int status = scope.finish(line::exitOk);
    // Without a count, Ctrl-C is the way to stop and not a failure.
    const bool stoppedByCtrlC = status == line::exitSignalBase + SIGINT;
    return options.count == 0 && stoppedByCtrlC ? line::exitOk : status;
}

}  // namespace

void addLiveCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<LiveOptions>();
    CLI::App* command =
        app.add_subcommand("live", "Read the live values every period, as the console shows them");
    command->add_option("-n,--count", options->count, "Number of reads; 0 reads until Ctrl-C")
        ->check(line::wholeNumberIn(0, 1'000'000));
    command
        ->add_option("-p,--period", options->periodSeconds,
                     "Seconds from one read to the next (each read itself takes about 0.2 s)")
        ->check(line::numberIn(0.0, 3600.0));
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
