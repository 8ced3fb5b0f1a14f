#include "ui/link_report.h"

namespace ecuprobe::ui {

// A port that never opened has no adapter to lose and no ECU to hear: the
// console's own note would only say that the ECU is silent.
std::string linkStatusText(const LinkStatus& status, const console::PanelSnapshot& shown) {
    if (!status.portFailed) {
        return shown.linkNote;
    }
    std::string text = "порт не открыт: " + status.devicePath;
    if (!status.openFailure.empty()) {
        text += " (" + status.openFailure + ")";
    }
    return text;
}

}  // namespace ecuprobe::ui
