#include "console/link_indicator.h"

namespace ecuprobe::console {

namespace {

LinkIndicator silentLine(ecu::SilenceCause silence) {
    switch (silence) {
        case ecu::SilenceCause::noEcho:
            return {LinkState::noEcho, "Нет эха от адаптера",
                    "адаптер без питания или не K-line: проверьте его питание и зажигание"};
        case ecu::SilenceCause::adapterWithoutEcho:
            return {LinkState::adapterWithoutEcho, "Адаптер без эха",
                    "ЭБУ отвечает, но адаптер не возвращает отправленные байты: отметьте "
                    "«Адаптер без эха» в меню «…» рядом с COM-портом и нажмите «Начать»"};
        case ecu::SilenceCause::lineNoise:
            return {LinkState::lineNoise, "Помехи на линии", "проверьте кабель и массу"};
        case ecu::SilenceCause::deviceGone:
            return {LinkState::adapterGone, "Адаптер отключён",
                    "подключите адаптер снова или выберите другой порт"};
        case ecu::SilenceCause::ecuSilent:
            break;
    }
    return {LinkState::ecuSilent, "ЭБУ не отвечает", "зажигание выключено? не тот разъём?"};
}

}  // namespace

std::string LinkIndicator::line() const {
    return advice.empty() ? text : text + " — " + advice;
}

LinkIndicator linkIndicator(const LinkFacts& facts) {
    if (facts.openFailure.failed()) {
        std::string text = "Порт не открыт: " + facts.devicePath;
        if (const std::string why = platform::openFailureText(facts.openFailure); !why.empty()) {
            text += " (" + why + ")";
        }
        return {LinkState::portNotOpened, text, "выберите другой порт и нажмите «Начать»"};
    }
    if (!facts.started) {
        return {LinkState::idle, "Нет подключения", "выберите COM-порт и нажмите «Начать»"};
    }
    const bool gone =
        facts.adapterGone || (!facts.connected && facts.silence == ecu::SilenceCause::deviceGone);
    LinkIndicator shown;
    if (gone) {
        shown = silentLine(ecu::SilenceCause::deviceGone);
        shown.text += ": " + facts.devicePath;
    } else if (facts.connected) {
        shown = {LinkState::connected,
                 facts.ecuName.empty() ? "ЭБУ на связи" : "ЭБУ " + facts.ecuName + " на связи",
                 {}};
    } else {
        shown = silentLine(facts.silence);
    }
    if (facts.echoSkipped && !gone) {
        shown.text += ", адаптер без эха";
    }
    if (!facts.owed.empty() && !facts.connected) {
        shown.advice += "; " + facts.owed;
    }
    return shown;
}

}  // namespace ecuprobe::console
