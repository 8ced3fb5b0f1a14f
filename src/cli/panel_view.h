#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "console/panel_snapshot.h"

namespace ecuprobe::cli {

// The console as text: live values with captions and units, the state flags,
// the output boxes with their check marks and the words that switch them, the
// fault line and count, the status text, the period, the last message and the
// connection's state ("Связь: ..."), last.
std::string renderPanel(const console::PanelSnapshot& shown, std::string_view message);

// How a switch is named in messages: its caption with the group it sits in.
std::string switchLabel(console::ControlId id);

// Draws the panel on every call: over the previous picture on a terminal,
// as plain blocks one after another into a pipe or file.
class PanelView {
public:
    PanelView(std::ostream& sink, bool terminal) : out(sink), ansi(terminal) {}

    void draw(const console::PanelSnapshot& shown, std::string_view message);

private:
    std::ostream& out;
    bool ansi;
};

}  // namespace ecuprobe::cli
