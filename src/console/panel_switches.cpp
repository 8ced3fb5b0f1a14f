#include "console/panel_switches.h"

#include <algorithm>
#include <array>

#include "ecu/ecu_commands.h"
#include "ecu/hand_back.h"

namespace ecuprobe::console {

namespace {

using ecu::EcuSession;
using ecu::LiveData;
using ecu::Output;
using namespace control;

template <std::size_t n>
std::int32_t injectorRecord(const EcuSession& session) {
    return session.injectorOn(n);
}

template <std::int32_t LiveData::*flag>
std::int32_t liveRecord(const EcuSession& session) {
    return session.liveData().*flag;
}

template <int n>
void switchInjector(EcuSession& session, std::int32_t& state) {
    session.switchInjector(n, state);
}

template <Output output>
void switchOutput(EcuSession& session, std::int32_t& state) {
    session.switchOutput(output, state);
}

void switchCanisterPurge(EcuSession& session, std::int32_t& state) {
    session.switchCanisterPurge(state);
}

void switchLambdaControl(EcuSession& session, std::int32_t& state) {
    session.switchLambdaControl(state);
}

void switchKnockControl(EcuSession& session, std::int32_t& state) {
    session.switchKnockControl(state);
}

constexpr auto injector = SwitchKind::injector;
constexpr auto coil = SwitchKind::coil;
constexpr auto output = SwitchKind::output;
constexpr auto regulator = SwitchKind::regulator;
using F = PanelFields;

// After the hand-back the ECU injects on every cylinder and drives every output
// again: injectors, coils and the fuel pump run, the rest are off.
constexpr std::uint8_t over = ecu::outputOverrideVariable;
constexpr std::uint8_t cut = ecu::injectorCutVariable;
constexpr std::uint8_t regs = ecu::regulatorVariable;
constexpr std::uint8_t params = ecu::parameterOverrideVariable0C;

constexpr std::array<SwitchControl, 13> table{{
    {injector1, "1", injector, &F::injector1On, injectorRecord<1>, switchInjector<1>, cut, 0x01},
    {injector2, "2", injector, &F::injector2On, injectorRecord<2>, switchInjector<2>, cut, 0x02},
    {injector3, "3", injector, &F::injector3On, injectorRecord<3>, switchInjector<3>, cut, 0x04},
    {injector4, "4", injector, &F::injector4On, injectorRecord<4>, switchInjector<4>, cut, 0x08},
    {coil14, "1:4", coil, &F::coil14On, liveRecord<&LiveData::coil14On>,
     switchOutput<Output::coil14>, over, 0x10},
    {coil23, "2:3", coil, &F::coil23On, liveRecord<&LiveData::coil23On>,
     switchOutput<Output::coil23>, over, 0x20},
    {fuelPump, "Бензонасос", output, &F::fuelPumpOn, liveRecord<&LiveData::fuelPumpOn>,
     switchOutput<Output::fuelPump>, over, 0x08},
    {checkEngineLamp, "CheckEgine", output, &F::CHECKEIGINE, liveRecord<&LiveData::CHECKEIGINE>,
     switchOutput<Output::checkEngineLamp>, over, 0x01},
    {airConditioner, "Конденцитнер", output, &F::airConditionerOn,
     liveRecord<&LiveData::airConditionerOn>, switchOutput<Output::airConditioner>, over, 0x04},
    {canisterPurge, "Адсорбер", output, &F::ADSORBER, liveRecord<&LiveData::ADSORBER>,
     switchCanisterPurge, params, 0x04},
    {fan, "Вентилятор", output, &F::fanOn, liveRecord<&LiveData::fanOn>, switchOutput<Output::fan>,
     over, 0x02},
    {lambdaRegulator, "L-регулятор", regulator, &F::lambdaControl, nullptr, switchLambdaControl,
     regs, 0x02},
    {knockRegulator, "Рег. детонации", regulator, &F::knockControl, nullptr, switchKnockControl,
     regs, 0x04},
}};

constexpr std::array<ControlId, table.size()> ids = [] {
    std::array<ControlId, table.size()> out{};
    std::transform(table.begin(), table.end(), out.begin(),
                   [](const SwitchControl& row) { return row.id; });
    return out;
}();

}  // namespace

std::span<const SwitchControl> switchTable() {
    return table;
}

std::span<const ControlId> switchControls() {
    return ids;
}

const SwitchControl* findSwitch(ControlId id) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [id](const SwitchControl& row) { return row.id == id; });
    return found == table.end() ? nullptr : &*found;
}

// While the ECU answers, the marks are the states of record; while it is
// silent those are the reset copies, and what the tester left written tells more.
void showHeld(const ecu::OwedControls& owed, const ecu::OwedControls& confirmed, bool connected,
              PanelSnapshot& shown) {
    shown.heldNote = ecu::heldNote(owed, confirmed);
    shown.held.clear();
    for (const SwitchControl& row : table) {
        if ((owed.heldIn(row.heldRegister) & row.heldMask) == 0) {
            continue;
        }
        shown.held.insert(row.id);
        if (connected) {
            continue;
        }
        if (row.kind == injector) {
            shown.checked[row.id] = false;
        } else if (row.heldRegister == over) {
            shown.checked[row.id] = (owed.heldIn(ecu::outputStateVariable) & row.heldMask) != 0;
        }
    }
}

OutputsShown outputsShown(const PanelSnapshot& shown) {
    OutputsShown outputs{{}, shown.held, shown.heldNote};
    for (const SwitchControl& row : table) {
        outputs.marks[row.id] = shown.isChecked(row.id);
    }
    return outputs;
}

}  // namespace ecuprobe::console
