#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/measured_printer.h"
#include "console/measured_form.h"
#include "ecu/ecu_session.h"
#include "reports/user_prompts.h"

namespace CLI {
class App;
}

namespace ecuprobe::cli {

// A measured test as the command line gives it: the levels and gear of its
// dialog, where its report goes and with which comment.
struct TestOptions {
    TestKind kind = TestKind::dynamic;
    int start = 0;
    int end = 0;
    int gear = 0;  // 0 standing or no gear chosen, 1..4
    std::optional<std::string> dump;
    std::optional<std::string> comment;
};

// The word that names each test on the command line, and what it measures.
struct TestName {
    TestKind kind;
    const char* name;
    const char* description;
};
std::span<const TestName> testNames();

// The levels each dialog starts with.
TestOptions testDefaults(TestKind kind);

// --start, --end, --gear (not for the loss test), --dump and --comment.
void addTestOptions(CLI::App& command, TestOptions& options);

// The descriptor row of the test.
const console::RunDescriptor& measuredRun(TestKind kind);

// The test's form with the options typed into its inputs.
std::unique_ptr<console::MeasuredForm> formFor(const TestOptions& options, ecu::EcuSession& session,
                                               reports::UserPrompts& prompts);

// What is typed after "test" in the monitor, "dynamic --start 2500 --comment 'до
// ремонта'": the options, or the message that refuses them (the help text for --help).
struct ParsedTest {
    std::optional<TestOptions> options;
    std::string message;
};
ParsedTest parseTestWords(std::string_view words);

}  // namespace ecuprobe::cli
