#include <CLI/CLI.hpp>

#include <memory>

#include "cli/command.h"
#include "cli/fault_text.h"
#include "cli/session_scope.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

struct FaultsOptions {
    bool decoded = false;
};

// The session keeps the previous list when the fault request goes unanswered,
// which would show "no faults" for an ECU that never said so: the answer is
// checked on the link, and one more request is made before giving up.
bool faultsAnswered(ecu::EcuSession& session, bool alreadyRead) {
    if (alreadyRead && session.lastRequestAnswered()) {
        return true;
    }
    session.readFaults();
    return session.connected() != 0 && session.lastRequestAnswered();
}

int printFaults(RunContext& run, ecu::EcuSession& session, bool alreadyRead,
                const FaultsOptions& options) {
    if (!faultsAnswered(session, alreadyRead)) {
        run.err << "ecuprobe-cli: the ECU did not answer the fault list request\n";
        if (session.silenceCause() != ecu::SilenceCause::ecuSilent) {
            reportNoAnswer(run, session);
        }
        return line::exitNoAnswer;
    }
    std::string text;
    if (options.decoded) {
        session.faultListDecoded(text);
        run.out << decodedForTerminal(text);
    } else {
        session.faultListShort(text);
        run.out << text << '\n';
    }
    return line::exitOk;
}

int runFaults(RunContext& run, const FaultsOptions& options) {
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    // connect() ends with the fault read.
    return scope.finish(printFaults(run, scope.session(), true, options));
}

int runClearFaults(RunContext& run, const FaultsOptions& options) {
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    ecu::EcuSession& session = scope.session();
    // As the console's "Сброс" button: the poll must not cut in while it clears.
    {
        const ecu::ExchangeBusyGuard busy;
        session.clearFaults();
    }
    if (session.stopRequested()) {
        run.err << (session.lastWriteReply() == ecu::WriteReply::withheld
                        ? "ecuprobe-cli: stopped: the faults were not cleared (nothing sent)\n"
                        : "ecuprobe-cli: stopped: the list was not read again\n");
        return scope.finish(line::exitServiceFailed);
    }
    return scope.finish(printFaults(run, session, false, options));
}

CLI::App* addFaultsSubcommand(CLI::App& app, const char* name, const char* description,
                              FaultsOptions& options) {
    CLI::App* command = app.add_subcommand(name, description);
    command->add_flag("-d,--decoded", options.decoded,
                      "One line per fault with its Russian description and status words");
    return command;
}

}  // namespace

void addFaultsCommands(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<FaultsOptions>();
    CLI::App* faults = addFaultsSubcommand(app, "faults", "Read the stored fault codes", *options);
    faults->footer(
        "The compact list reads \" 013:20, 131:60,\" (code decimal, status hex);\n"
        "status 20 means many times, 40 once.\n"
        "Examples:\n"
        "  ecuprobe-cli faults\n"
        "  ecuprobe-cli faults --decoded");
    faults->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runFaults(run, *options); };
    });
    CLI::App* clear = addFaultsSubcommand(
        app, "clear-faults", "Clear the stored fault codes, then show what is left", *options);
    clear->footer(
        "Examples:\n"
        "  ecuprobe-cli clear-faults\n"
        "  ecuprobe-cli --simulate --sim-faults 13:20,131:60 clear-faults");
    clear->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runClearFaults(run, *options); };
    });
}

}  // namespace ecuprobe::cli
