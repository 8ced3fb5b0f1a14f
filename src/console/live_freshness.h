#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "console/panel_snapshot.h"

namespace ecuprobe::console {

// Whether the live values a console shows are the ECU's current ones. They stay
// on screen when the link goes down, so the reader must see that they are old,
// and since when.
class LiveFreshness {
public:
    // After each report of the link: whether "Начать" was pressed, whether the
    // ECU answered the last request, and the wall-clock time of the report.
    void update(bool started, bool answering, std::time_t now);

    // The values shown are not the ECU's current ones: none was read yet, or
    // the link is down.
    bool stale() const { return !answering; }
    // Over the values while they are stale after "Начать"; empty otherwise.
    std::string note() const;
    // While stale, the fault count says nothing: a "0" there would read as a
    // clean ECU.
    void blankUnread(PanelSnapshot& shown) const;

private:
    bool started = false;
    bool answering = false;
    std::optional<std::time_t> lastGoodAt;
};

}  // namespace ecuprobe::console
