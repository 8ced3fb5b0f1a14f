#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/input_lines.h"
#include "cli/measured_printer.h"
#include "cli/monitor_input.h"
#include "cli/panel_view.h"
#include "cli/terminal_prompts.h"
#include "console/panel_timer.h"
#include "console/tester_panel.h"
#include "platform/clock.h"

namespace ecuprobe::cli {

// The tester console in a terminal: the panel polled on its timer and drawn after
// every tick, with one message under it; the commands typed between polls; and
// the questions of a service, each answered by the next line typed while the
// poll runs on. Lines come one at a time, whoever waits for them.
class Monitor final : public AnswerLine {
public:
    // outputLost: the output can no longer be written, so the monitor leaves.
    // notes: where what the tester may have held, and how handing it back went,
    // is told as it happens (stderr).
    Monitor(platform::Clock& clock, LineSource& typed, std::ostream& out, std::ostream& notes,
            bool terminal, std::function<bool()> outputLost);
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    console::TesterPanel& panel() { return tester; }
    // Draws the panel with the message, then polls and runs the lines typed until
    // quit, the end of input, a stop signal or lost output.
    void run(std::string message);
    // The ECU answered at some time while the monitor ran.
    bool ecuAnswered() const { return answered; }

    std::optional<InputLine> ask(std::string_view question) override;
    void tell(std::string_view message) override;
    void refuse(std::string_view why) override;

private:
    bool leaving() const;
    // Keeps the poll running until a line is typed; nullopt when none will come.
    // An answer is never a line set aside as typed ahead of a refusal.
    std::optional<InputLine> nextLine(bool answer);
    void draw();
    void tellNews();
    // Runs one typed line; its message.
    std::string runLine(std::string_view line);
    std::string clickMessage(console::ControlId id);
    std::string identify();
    std::string setParameter(const MonitorCommand& command);
    std::string storeParameter(console::ParameterField field);
    std::string resetAdaptation(const MonitorCommand& command);
    std::string saveReport(std::string_view words);
    std::string runTest(const MonitorCommand& command);
    std::string testOutcome(const console::MeasuredForm& form, const console::TestRun& run);

    console::ManualTimer timer;
    PanelView view;
    TerminalPrompts prompts{*this};
    console::TesterPanel tester{timer, prompts};
    LineSource& input;
    std::ostream& out;
    std::ostream& notes;
    bool terminal;
    std::function<bool()> lostOutput;
    std::deque<InputLine> waiting;
    // Lines typed before an answer was refused: commands, run after the service.
    std::deque<InputLine> typedAhead;
    // The message under the panel: what the service told so far, then its outcome
    // or the question it asks.
    std::vector<std::string> told;
    std::string message;
    bool quit = false;
    bool answered = false;
};

}  // namespace ecuprobe::cli
