#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "child_process.h"
#include "cli_process_support.h"

// The commands and simulator faults that the fault matrix crosses, and what each
// of its cells must end with.
namespace ecuprobe::cli::testing_support {

struct MatrixOutcome {
    int status;
    const char* message;  // the start of a line on stderr or stdout
};

struct MatrixCommand {
    const char* name;
    const char* scenario;  // the simulator's driver
    Args args;             // the command and its options, run in a folder of its own
    std::vector<ChildStep> steps;
    MatrixOutcome done;  // with the ECU answering every request
    // Endings of the files that its success output stands for, each written whole.
    std::vector<std::string> writes{};
    // Connects a session, which hands every control back to the ECU when it ends.
    bool takesControls = true;
};

struct MatrixFault {
    const char* name;
    const char* rule;  // --sim-fault
    // What a command that connects ends with; a null message: as without the fault.
    MatrixOutcome outcome;
    MatrixOutcome selfTest;
    // The ECU still acknowledges the writes of the hand-back at the end.
    bool ecuTakesControlsBack;
    // The commands that end otherwise than `outcome` says.
    std::vector<std::pair<std::string_view, MatrixOutcome>> commandOutcomes{};
    // The tester is stopped at the end of its connection: no write but the
    // hand-back may follow.
    bool stopsTheTester = false;
};

const std::vector<MatrixCommand>& matrixCommands();
const std::vector<MatrixFault>& matrixFaults();
MatrixOutcome expectedOutcome(const MatrixCommand& command, const MatrixFault& fault);

}  // namespace ecuprobe::cli::testing_support
