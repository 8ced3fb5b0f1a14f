#include "console/link_indicator.h"

#include <gtest/gtest.h>

namespace ecuprobe::console {
namespace {

using ecu::SilenceCause;
using platform::OpenFailureCause;

LinkFacts started(SilenceCause silence) {
    LinkFacts facts;
    facts.started = true;
    facts.devicePath = "/dev/ttyUSB0";
    facts.silence = silence;
    return facts;
}

TEST(LinkIndicator, NamesTheStateAndWhatToCheckNext) {
    LinkFacts connected = started(SilenceCause::ecuSilent);
    connected.connected = true;
    connected.ecuName = "Микас 5.4";
    LinkFacts notOpened;
    notOpened.devicePath = "/dev/ttyS1";
    notOpened.openFailure = {OpenFailureCause::busy, {}};
    LinkFacts gone = started(SilenceCause::ecuSilent);
    gone.adapterGone = true;
    LinkFacts connectedWithoutEcho = connected;
    connectedWithoutEcho.echoSkipped = true;
    LinkFacts silentWithoutEcho = started(SilenceCause::ecuSilent);
    silentWithoutEcho.echoSkipped = true;
    LinkFacts silentOwing = started(SilenceCause::ecuSilent);
    silentOwing.owed = "тестер может удерживать: форсунка 1";
    const struct {
        const char* name;
        LinkFacts facts;
        LinkState state;
        const char* line;
    } cases[] = {
        {"before the start", LinkFacts{}, LinkState::idle,
         "Нет подключения — выберите COM-порт и нажмите «Начать»"},
        {"connected", connected, LinkState::connected, "ЭБУ Микас 5.4 на связи"},
        {"port not opened", notOpened, LinkState::portNotOpened,
         "Порт не открыт: /dev/ttyS1 (порт занят другой программой) — выберите другой порт и "
         "нажмите «Начать»"},
        {"adapter unplugged", gone, LinkState::adapterGone,
         "Адаптер отключён: /dev/ttyUSB0 — подключите адаптер снова или выберите другой порт"},
        {"hung up before the watch saw it", started(SilenceCause::deviceGone),
         LinkState::adapterGone,
         "Адаптер отключён: /dev/ttyUSB0 — подключите адаптер снова или выберите другой порт"},
        {"no echo", started(SilenceCause::noEcho), LinkState::noEcho,
         "Нет эха от адаптера — адаптер без питания или не K-line: проверьте его питание и "
         "зажигание"},
        {"adapter without echo", started(SilenceCause::adapterWithoutEcho),
         LinkState::adapterWithoutEcho,
         "Адаптер без эха — ЭБУ отвечает, но адаптер не возвращает отправленные байты: отметьте "
         "«Адаптер без эха» в меню «…» рядом с COM-портом и нажмите «Начать»"},
        {"connected, set without echo", connectedWithoutEcho, LinkState::connected,
         "ЭБУ Микас 5.4 на связи, адаптер без эха"},
        {"silent, set without echo", silentWithoutEcho, LinkState::ecuSilent,
         "ЭБУ не отвечает, адаптер без эха — зажигание выключено? не тот разъём?"},
        {"silent while something is owed", silentOwing, LinkState::ecuSilent,
         "ЭБУ не отвечает — зажигание выключено? не тот разъём?; тестер может удерживать: "
         "форсунка 1"},
        {"noise", started(SilenceCause::lineNoise), LinkState::lineNoise,
         "Помехи на линии — проверьте кабель и массу"},
        {"ECU silent", started(SilenceCause::ecuSilent), LinkState::ecuSilent,
         "ЭБУ не отвечает — зажигание выключено? не тот разъём?"},
    };
    for (const auto& c : cases) {
        const LinkIndicator shown = linkIndicator(c.facts);
        EXPECT_EQ(shown.state, c.state) << c.name;
        EXPECT_EQ(shown.line(), c.line) << c.name;
    }
}

}  // namespace
}  // namespace ecuprobe::console
