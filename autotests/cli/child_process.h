#pragma once

#include <string>
#include <vector>

namespace ecuprobe::cli::testing_support {

// One step of what a test does to the running child: after a pause, type a line
// on its stdin or send it a signal. The child's stdin closes after the last step.
struct ChildStep {
    int afterMs = 0;
    std::string line;  // written with a trailing newline when not empty
    int signal = 0;    // sent when not 0
};

struct ChildResult {
    int exitStatus = -1;  // 128 + n when killed by signal n
    std::string out;
    std::string err;
};

// Runs program with args, serving the steps on a thread and collecting its output.
// A child that outlives timeoutMs is killed, which the status then shows.
ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<ChildStep>& steps = {}, int timeoutMs = 30000);

}  // namespace ecuprobe::cli::testing_support
