#include "cli/live_reads.h"

#include <algorithm>

namespace ecuprobe::cli {

LiveReads::Outcome LiveReads::next() {
    switch (adapter.beforeTick()) {
        case ecu::AdapterWatch::Check::gone:
            if (gonePath.empty()) {
                gonePath = adapter.gonePath();
                run.err << "ecuprobe-cli: адаптер отключён: " << gonePath << '\n';
            }
            return Outcome::adapterGone;
        case ecu::AdapterWatch::Check::back:
            run.err << "ecuprobe-cli: the adapter is back on " << gonePath << '\n';
            gonePath.clear();
            return Outcome::adapterBack;
        case ecu::AdapterWatch::Check::poll:
            break;
    }
    if (session.connected() == 0) {
        session.identifyEcuType();
        for (const std::string& news : session.takeHandBackNews()) {
            run.err << "ecuprobe-cli: " << news << '\n';
        }
    }
    return session.readLiveData() == ecu::ReadResult::read ? Outcome::read : Outcome::noAnswer;
}

std::uint32_t LiveReads::pauseAfter(Outcome outcome, std::uint32_t periodMs) {
    const bool adapterTrouble = outcome == Outcome::adapterGone || outcome == Outcome::adapterBack;
    return adapterTrouble ? std::max(periodMs, adapterRetryMs) : periodMs;
}

}  // namespace ecuprobe::cli
