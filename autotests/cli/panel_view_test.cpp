#include "cli/panel_view.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/fault_text.h"

namespace ecuprobe::cli {
namespace {

namespace control = console::control;

console::PanelSnapshot connectedPanel() {
    console::PanelFields fields;
    fields.statusText = "ЭБУ Микас 5.4. ";
    fields.live.FREQ = 800;
    fields.live.NUACC = 14.1f;
    fields.live.TWAT = -10;
    fields.live.RXX = 1;
    fields.injector1On = 0;
    fields.fuelPumpOn = 1;
    fields.faultText = " 013:20,";
    fields.faultCount = 1;
    fields.period = 1;
    console::PanelSnapshot shown;
    console::showFields(fields, shown);
    shown.enabled = {control::injector1, control::fuelPump, control::releaseControls};
    shown.periodMs = 1000;
    shown.timerRunning = true;
    return shown;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(PanelView, ShowsValuesFlagsSwitchesFaultsStatusAndPeriod) {
    const std::string text = renderPanel(connectedPanel(), "Форсунка 1: выкл.");
    for (const char* part :
         {"Обороты (FREQ):", "800 об/мин", "14.1 В", "-10 °C", "[x] Признак Хол.Ход (RXX):",
          "[ ] Обогащение (BITPOW):", "[ ] Форсунка 1  [inj 1]", "[x] Бензонасос  [pump]",
          "Check Eigine (Ошибки):  013:20,  (1)", "Состояние: ЭБУ Микас 5.4. ",
          "Период опроса: 1 с (1000 мс)", "> Форсунка 1: выкл.", "[Вернуть управл.]  [release]"}) {
        EXPECT_TRUE(has(text, part)) << part << "\n" << text;
    }
}

TEST(PanelView, MarksDisabledSwitchesAndAStoppedPoll) {
    console::PanelSnapshot shown = connectedPanel();
    shown.enabled.clear();
    shown.timerRunning = false;
    const std::string text = renderPanel(shown, "");
    EXPECT_TRUE(has(text, "(x) Форсунка 2  [inj 2]")) << text;
    EXPECT_TRUE(has(text, "(x) Бензонасос  [pump]")) << text;
    EXPECT_TRUE(has(text, "(Вернуть управл.)")) << text;
    EXPECT_TRUE(has(text, "опрос стоит")) << text;
    EXPECT_FALSE(has(text, "> ")) << text;
}

TEST(PanelView, TheLinkStateIsTheLastLine) {
    console::PanelSnapshot shown = connectedPanel();
    const std::string quiet = renderPanel(shown, "");
    EXPECT_EQ(quiet.substr(quiet.rfind('\n', quiet.size() - 2) + 1),
              "         clear-faults, decode, period 0|1|2, help, quit\n");
    shown.link = {console::LinkState::adapterGone, "Адаптер отключён: /dev/ttyUSB0",
                  "подключите адаптер снова"};
    const std::string gone = renderPanel(shown, "");
    EXPECT_EQ(gone, quiet + "Связь: Адаптер отключён: /dev/ttyUSB0 — подключите адаптер снова\n");
}

TEST(PanelView, ClearsTheTerminalOnlyWhenDrawingOnOne) {
    std::ostringstream terminal;
    std::ostringstream pipe;
    PanelView(terminal, true).draw(connectedPanel(), "");
    PanelView(pipe, false).draw(connectedPanel(), "");
    EXPECT_EQ(terminal.str().rfind("\x1b[H\x1b[2J", 0), 0u);
    EXPECT_EQ(pipe.str().find('\x1b'), std::string::npos);
    EXPECT_EQ(pipe.str().rfind("----\n", 0), 0u);
}

TEST(PanelView, SwitchLabelsCarryTheirGroup) {
    EXPECT_EQ(switchLabel(control::injector3), "Форсунка 3");
    EXPECT_EQ(switchLabel(control::coil23), "Зажигание 2:3");
    EXPECT_EQ(switchLabel(control::fan), "Вентилятор");
}

TEST(FaultText, DecodedListBecomesOneLinePerEntry) {
    EXPECT_EQ(decodedForTerminal("\r\n 013:20: a = многократн..\r\n 131:60: b ."),
              " 013:20: a = многократн..\n 131:60: b .\n");
    EXPECT_EQ(decodedForTerminal("*** Нет Ошибок ***"), "*** Нет Ошибок ***\n");
    EXPECT_EQ(decodedForTerminal(""), "");
}

}  // namespace
}  // namespace ecuprobe::cli
