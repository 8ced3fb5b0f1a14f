#pragma once

#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

namespace testing {
struct SessionProbe {
    static SessionState& state(EcuSession& session) { return session.held; }
};
}  // namespace testing

// The session's state, for a test to set up what no service reaches quickly and to
// look at the copies no caller needs (found by argument lookup from any test).
inline SessionState& stateOf(EcuSession& session) {
    return testing::SessionProbe::state(session);
}

}  // namespace ecuprobe::ecu
