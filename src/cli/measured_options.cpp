#include "cli/measured_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>

#include "line/option_checks.h"

namespace ecuprobe::cli {

namespace {

constexpr std::array names{
    TestName{TestKind::dynamic, "dynamic",
             "Engine run-up time from a start to an end engine speed"},
    TestName{TestKind::acceleration, "accel",
             "Time from one road speed to another, speeding up or slowing down"},
    TestName{TestKind::loss, "loss", "Coast-down time of the engine with the fuel cut off"},
};

}  // namespace

std::span<const TestName> testNames() {
    return names;
}

const console::RunDescriptor& measuredRun(TestKind kind) {
    switch (kind) {
        case TestKind::dynamic:
            return console::dynamicRun;
        case TestKind::acceleration:
            return console::accelerationRun;
        case TestKind::loss:
            break;
    }
    return console::lossRun;
}

TestOptions testDefaults(TestKind kind) {
    const console::RunDescriptor& test = measuredRun(kind);
    return {kind, static_cast<int>(test.start.first), static_cast<int>(test.end.first), 0, {}, {}};
}

void addTestOptions(CLI::App& command, TestOptions& options) {
    const bool rpm = options.kind != TestKind::acceleration;
    command
        .add_option("--start", options.start, rpm ? "Start engine speed, rpm" : "Start speed, km/h")
        ->check(line::wholeNumberIn(0, 99999))
        ->capture_default_str();
    command.add_option("--end", options.end, rpm ? "End engine speed, rpm" : "End speed, km/h")
        ->check(line::wholeNumberIn(0, 99999))
        ->capture_default_str();
    if (options.kind != TestKind::loss) {
        command.add_option("--gear", options.gear, "0 standing (no gear chosen), 1..4 on the move")
            ->check(line::wholeNumberIn(0, 4));
    }
    command
        .add_option("--dump", options.dump,
                    "Append the report to this tester dump file and write the samples to "
                    "<seconds>.dm? in the current folder, as \"Сохранить\" does")
        ->check(line::nonEmptyPath());
    command
        .add_option("--comment", options.comment,
                    "The report's comment (with --dump), at most 256 characters: a longer one is "
                    "refused (exit 64), never cut")
        ->check(line::commentText());
}

std::unique_ptr<console::MeasuredForm> formFor(const TestOptions& o, ecu::EcuSession& session,
                                               reports::UserPrompts& prompts) {
    const console::RunDescriptor& test = measuredRun(o.kind);
    auto form = std::make_unique<console::MeasuredForm>(test, session, prompts);
    // Levels typed as the dialog's fields would hold them.
    if (test.levelText == console::LevelText::firstFourDigits) {
        form->setLevels(console::firstFourDigits(std::to_string(o.start)),
                        console::firstFourDigits(std::to_string(o.end)));
    } else {
        form->setLevels(o.start, o.end);
    }
    if (o.gear != 0) {
        form->clickOnTheMove();
        form->chooseGear(o.gear);
    }
    return form;
}

ParsedTest parseTestWords(std::string_view words) {
    CLI::App test("Run a measured test", "test");
    test.require_subcommand(1);
    std::array<TestOptions, names.size()> options;
    std::array<CLI::App*, names.size()> commands{};
    for (std::size_t n = 0; n < names.size(); ++n) {
        options[n] = testDefaults(names[n].kind);
        commands[n] = test.add_subcommand(names[n].name, names[n].description);
        addTestOptions(*commands[n], options[n]);
    }
    try {
        test.parse(std::string(words), false);
    } catch (const CLI::CallForHelp&) {
        const auto* asked = std::find_if(commands.begin(), commands.end(),
                                         [](const CLI::App* c) { return c->parsed(); });
        return {std::nullopt, asked != commands.end() ? (*asked)->help() : test.help()};
    } catch (const CLI::ParseError& error) {
        return {std::nullopt, error.what()};
    }
    for (std::size_t n = 0; n < commands.size(); ++n) {
        if (commands[n]->parsed()) {
            return {options[n], {}};
        }
    }
    return {std::nullopt, "test takes dynamic, accel or loss"};
}

}  // namespace ecuprobe::cli
