#include "console/live_freshness.h"

#include <cstdio>

#include "platform/clock.h"

namespace ecuprobe::console {

void LiveFreshness::update(bool isStarted, bool isAnswering, std::time_t now) {
    started = isStarted;
    answering = isStarted && isAnswering;
    if (answering) {
        lastGoodAt = now;
    }
}

std::string LiveFreshness::note() const {
    if (!started || answering) {
        return {};
    }
    if (!lastGoodAt) {
        return "Нет связи с ЭБУ: значения ещё не прочитаны";
    }
    const std::tm local = platform::localCalendar(*lastGoodAt);
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return std::string("Нет связи с ЭБУ: значения последнего опроса в ") + clock;
}

void LiveFreshness::blankUnread(PanelSnapshot& shown) const {
    if (stale()) {
        shown.texts[control::faultCount].clear();
    }
}

}  // namespace ecuprobe::console
