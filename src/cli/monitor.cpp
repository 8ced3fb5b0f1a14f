#include "cli/monitor.h"

#include <algorithm>

#include "cli/fault_text.h"
#include "cli/stop_signals.h"
#include "console/latency_advice.h"
#include "link/frame_exchange.h"

namespace ecuprobe::cli {

namespace {

namespace control = console::control;
using console::ClickOutcome;

constexpr std::size_t maxTypedAhead = 256;

}  // namespace

Monitor::Monitor(platform::Clock& clock, LineSource& typed, std::ostream& sink,
                 std::ostream& noteSink, bool onTerminal, std::function<bool()> outputLost)
    : timer(clock),
      view(sink, onTerminal),
      input(typed),
      out(sink),
      notes(noteSink),
      terminal(onTerminal),
      lostOutput(std::move(outputLost)) {
    tester.ecuSession().stopWhen(StopSignals::requested);
}

void Monitor::run(std::string firstMessage) {
    // An ECU that answered its type and fell silent on the first reads may still
    // hold what it was told: its hand-back is told like any other.
    const ecu::EcuSession& session = tester.ecuSession();
    answered = session.connected() != 0 || session.ecuTypeAnswered();
    message = std::move(firstMessage);
    tellNews();
    draw();
    while (const std::optional<InputLine> line = nextLine(false)) {
        told.clear();
        message = line->tooLong ? lineTooLongMessage() : runLine(line->text);
        draw();
    }
}

bool Monitor::leaving() const {
    return quit || StopSignals::requested() || lostOutput();
}

std::optional<InputLine> Monitor::nextLine(bool answer) {
    for (;;) {
        if (leaving()) {
            return std::nullopt;
        }
        if (timer.fireIfDue()) {
            answered = answered || tester.ecuSession().connected() != 0;
            tellNews();
            draw();
        }
        if (!answer && !typedAhead.empty()) {
            InputLine line = std::move(typedAhead.front());
            typedAhead.pop_front();
            return line;
        }
        if (!waiting.empty()) {
            InputLine line = std::move(waiting.front());
            waiting.pop_front();
            return line;
        }
        if (input.ended()) {
            return std::nullopt;
        }
        for (InputLine& line : input.wait(timer.msUntilDue())) {
            waiting.push_back(std::move(line));
        }
    }
}

std::optional<InputLine> Monitor::ask(std::string_view question) {
    message = question;
    draw();
    return nextLine(true);
}

void Monitor::tell(std::string_view text) {
    told.emplace_back(text);
    message.clear();
    draw();
}

void Monitor::tellNews() {
    for (const std::string& news : tester.takeNews()) {
        notes << "ecuprobe-cli: " << news << '\n';
    }
    if (const auto slow = link::processLink().takeLatencyNotice()) {
        notes << "ecuprobe-cli: " << console::latencyAdvice(*slow) << '\n';
    }
    notes.flush();
}

// A line typed with or after the refused one was typed before the refusal could
// be read: most likely the next command, not an answer to the question asked again.
// Past the limit (input that only ever answers wrong) lines stay answers, so that
// memory stays bounded.
void Monitor::refuse(std::string_view why) {
    tell(why);
    if (waiting.empty()) {
        for (InputLine& line : input.wait(0)) {
            waiting.push_back(std::move(line));
        }
    }
    while (!waiting.empty() && typedAhead.size() < maxTypedAhead) {
        typedAhead.push_back(std::move(waiting.front()));
        waiting.pop_front();
    }
}

void Monitor::draw() {
    std::string shown;
    for (const std::string& line : told) {
        shown += line + '\n';
    }
    shown += message;
    if (!shown.empty() && shown.back() == '\n') {
        shown.pop_back();
    }
    view.draw(tester.snapshot(), shown);
}

std::string Monitor::runLine(std::string_view line) {
    const ParsedLine parsed = parseMonitorLine(line);
    if (!parsed.command) {
        return parsed.error;
    }
    const MonitorCommand& command = *parsed.command;
    switch (command.verb) {
        case MonitorVerb::quit:
            quit = true;
            return "quit";
        case MonitorVerb::help:
            return monitorHelp();
        case MonitorVerb::period: {
            const std::string problem = tester.enterPeriod(command.argument);
            return problem.empty() ? "period " + tester.snapshot().text(control::period) + " s"
                                   : problem;
        }
        case MonitorVerb::click:
            return clickMessage(command.control);
        case MonitorVerb::ident:
            return identify();
        case MonitorVerb::set:
            return setParameter(command);
        case MonitorVerb::store:
            return storeParameter(*command.parameter);
        case MonitorVerb::reset:
            return resetAdaptation(command);
        case MonitorVerb::report:
            return saveReport(command.argument);
        case MonitorVerb::test:
            break;
    }
    return runTest(command);
}

std::string Monitor::clickMessage(console::ControlId id) {
    const console::ClickResult result = tester.onClick(id);
    const std::string label = switchLabel(id);
    if (result.outcome == ClickOutcome::ignored) {
        return label + ": disabled just now";
    }
    if (id == control::decodeFaults) {
        return result.text.empty() ? std::string("(no fault list)")
                                   : decodedForTerminal(result.text);
    }
    const ecu::WriteReply reply = tester.ecuSession().lastWriteReply();
    const std::string problem(ecu::writeReplyProblem(reply));
    // After a stop nothing but the hand-back goes out: never "done" then.
    if (reply == ecu::WriteReply::withheld) {
        return label + ": " + problem;
    }
    const auto switches = console::switchControls();
    if (std::find(switches.begin(), switches.end(), id) != switches.end()) {
        // Never the state asked for when the ECU did not take it.
        if (!problem.empty()) {
            return label + ": " + problem;
        }
        return label + (tester.snapshot().isChecked(id) ? ": вкл." : ": выкл.");
    }
    return label + ": done";
}

}  // namespace ecuprobe::cli
