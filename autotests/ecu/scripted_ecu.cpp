#include "scripted_ecu.h"

#include "process_link.h"

namespace ecuprobe::ecu::testing {

void ScriptedEcu::onRequest(const Bytes& wire, const Bytes& payload) {
    sent.push_back({wire, payload, clock.tickMs(), exchangeBusy});
    if (reply) {
        if (const std::optional<Bytes> data = reply(payload)) {
            answerWith(*data);
        }
    }
}

std::vector<Bytes> ScriptedEcu::payloads() const {
    std::vector<Bytes> all;
    for (const SentFrame& frame : sent) {
        all.push_back(frame.payload);
    }
    return all;
}

void SessionTest::SetUp() {
    ecuprobe::testing::attachProcessLink(device, clock, ports);
}

void SessionTest::TearDown() {
    ecuprobe::testing::detachProcessLink();
}

void SessionTest::openConnected() {
    chosenPortNumber = 2;
    ASSERT_EQ(link.open(2), link::OpenResult::opened);
    stateOf(session).connected = 1;
}

void SessionTest::answerAll(const Bytes& data) {
    ecu.reply = [data](const Bytes&) { return std::optional<Bytes>(data); };
}

}  // namespace ecuprobe::ecu::testing
