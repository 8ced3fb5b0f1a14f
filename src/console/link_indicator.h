#pragma once

#include <cstdint>
#include <string>

#include "ecu/ecu_session.h"
#include "platform/open_failure.h"

namespace ecuprobe::console {

// The state of the connection as one indicator shows it: connected, or why not.
enum class LinkState : std::uint8_t {
    // "Начать" has not been pressed (or the console has closed).
    idle,
    connected,
    portNotOpened,
    adapterGone,
    noEcho,
    adapterWithoutEcho,
    lineNoise,
    ecuSilent,
};

struct LinkIndicator {
    LinkState state = LinkState::idle;
    // What is so: "ЭБУ Микас 5.4 на связи", "ЭБУ не отвечает", "Адаптер отключён: <path>".
    std::string text;
    // What to check next; empty while connected.
    std::string advice;

    // The text with its advice, for a one-line status bar.
    std::string line() const;
    bool operator==(const LinkIndicator&) const = default;
};

// What the console knows of its line when it shows the indicator.
struct LinkFacts {
    bool started = false;
    // Why the last "Начать" could not open the port; cause none when it opened.
    platform::OpenFailure openFailure;
    // The device of the chosen slot, or of the adapter that has gone.
    std::string devicePath;
    bool adapterGone = false;
    bool connected = false;
    std::string ecuName;
    // Why the last request went unanswered, while not connected.
    ecu::SilenceCause silence = ecu::SilenceCause::ecuSilent;
    // The session runs set for an adapter without echo.
    bool echoSkipped = false;
    // While not connected: what the tester may still hold ("тестер может
    // удерживать: форсунка 1 — ..."), empty when nothing.
    std::string owed;
};

LinkIndicator linkIndicator(const LinkFacts& facts);

}  // namespace ecuprobe::console
