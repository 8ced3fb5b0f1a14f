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
                    "ЭБУ отвечает, но адаптер не возвращает отправленные байты: нужен адаптер "
                    "K-line с эхом"};
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
    if (facts.adapterGone || (!facts.connected && facts.silence == ecu::SilenceCause::deviceGone)) {
        LinkIndicator gone = silentLine(ecu::SilenceCause::deviceGone);
        gone.text += ": " + facts.devicePath;
        return gone;
    }
    if (facts.connected) {
        return {LinkState::connected,
                facts.ecuName.empty() ? "ЭБУ на связи" : "ЭБУ " + facts.ecuName + " на связи",
                {}};
    }
    return silentLine(facts.silence);
}

}  // namespace ecuprobe::console
