#include <CLI/CLI.hpp>

#include "cli/command.h"
#include "cli/session_scope.h"
#include "line/exit_codes.h"

namespace ecuprobe::cli {

namespace {

int runConnect(RunContext& run) {
    SessionScope scope(run);
    if (const int code = scope.connect(); code != line::exitOk) {
        return scope.finish(code);
    }
    const ecu::EcuSession& session = scope.session();
    run.out << "Статус: " << session.statusText() << '\n';
    run.out << "Тип ЭБУ: " << session.identity().ecuName << '\n';
    return scope.finish(line::exitOk);
}

}  // namespace

void addConnectCommand(CLI::App& app, CommandChoice& choice) {
    CLI::App* command = app.add_subcommand(
        "connect", "Connect to the ECU and show its type, then hand everything back");
    command->footer(
        line::helpForThisSystem("Examples:\n"
                                "  ecuprobe-cli connect\n"
                                "  ecuprobe-cli --port /dev/ttyUSB0 connect\n"
                                "  ecuprobe-cli --simulate connect"));
    command->callback([&choice] { choice.run = runConnect; });
}

}  // namespace ecuprobe::cli
