#include "console/panel_snapshot.h"

#include "console/live_fields.h"
#include "console/panel_switches.h"

namespace ecuprobe::console {

namespace {

// The value of a box's field as the console shows it; empty for a box without one.
std::string liveText(ControlId id, const ecu::LiveData& live) {
    const LiveField* field = liveFieldFor(id);
    return field != nullptr ? fieldText(*field, live) : std::string();
}

void showTexts(const PanelFields& f, PanelSnapshot& shown) {
    using namespace control;
    shown.texts = {
        {statusText, f.statusText},
        {faultText, f.faultText},
        {faultCount, std::to_string(f.faultCount)},
        {period, std::to_string(f.period)},
    };
    for (const ControlId id : liveValueControls()) {
        shown.texts[id] = liveText(id, f.live);
    }
}

void showStateMarks(const PanelFields& f, PanelSnapshot& shown) {
    for (const ControlId id : stateFlagControls()) {
        const LiveField* field = liveFieldFor(id);
        const ecu::LiveField* entry = field != nullptr ? entryOf(*field) : nullptr;
        shown.checked[id] = entry != nullptr && entry->value(f.live) != 0;
    }
    shown.checked[control::lambdaProbe] = f.lambdaProbe != 0;
}

}  // namespace

std::string PanelSnapshot::text(ControlId id) const {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

bool PanelSnapshot::isChecked(ControlId id) const {
    const auto found = checked.find(id);
    return found != checked.end() && found->second;
}

void showSwitchMarks(const PanelFields& f, PanelSnapshot& shown) {
    for (const SwitchControl& row : switchTable()) {
        shown.checked[row.id] = f.*row.state != 0;
    }
}

void showFields(const PanelFields& fields, PanelSnapshot& shown) {
    showTexts(fields, shown);
    showStateMarks(fields, shown);
    showSwitchMarks(fields, shown);
}

}  // namespace ecuprobe::console
