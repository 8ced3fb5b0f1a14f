#pragma once

#include <cstdint>
#include <string>

#include "cli/command.h"
#include "ecu/adapter_watch.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::cli {

// Live reads for the command-line loops, made as the console's poll makes them: a
// session that lost the ECU asks for its type first, so it comes back by itself
// when the ECU answers again; an adapter that has gone is let go and looked for
// again before each read, and stderr says once when it goes and when it is back.
class LiveReads {
public:
    enum class Outcome { read, noAnswer, adapterGone, adapterBack };

    // The least pause after a read that found the adapter gone or just back, so
    // that a loop without a period does not spin while the cable is out.
    static constexpr std::uint32_t adapterRetryMs = 500;

    LiveReads(RunContext& context, ecu::EcuSession& ecuSession)
        : run(context), session(ecuSession), adapter(ecuSession) {}

    // One read into the session's liveData.
    Outcome next();
    // The pause before the next read, given the period asked for.
    static std::uint32_t pauseAfter(Outcome outcome, std::uint32_t periodMs);

private:
    RunContext& run;
    ecu::EcuSession& session;
    ecu::AdapterWatch adapter;
    std::string gonePath;
};

}  // namespace ecuprobe::cli
