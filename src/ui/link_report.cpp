#include "ui/link_report.h"

namespace ecuprobe::ui {

std::string linkStatusText(const LinkStatus& status) {
    if (!status.started || status.ecuAnswering) {
        return {};
    }
    if (status.deviceGone) {
        return "адаптер отключён: " + status.devicePath;
    }
    if (!status.portOpen) {
        std::string text = "порт не открыт: " + status.devicePath;
        if (!status.openFailure.empty()) {
            text += " (" + status.openFailure + ")";
        }
        return text;
    }
    return "ЭБУ не отвечает";
}

}  // namespace ecuprobe::ui
