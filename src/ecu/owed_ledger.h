#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ecu/owed_controls.h"
#include "ecu/write_reply.h"

namespace ecuprobe::ecu {

// The session's account of what it may still hold over the ECU on its port,
// apart from the copies of the control variables that a lost link clears: kept
// in the owed store whenever it changes, and taken from there on the next
// connection, so that neither a silence, a closed console nor a killed run
// leaves an output overridden that nobody hands back.
class OwedLedger {
public:
    // Takes what earlier sessions left owed on port (its device path as given).
    void bind(const std::string& port);
    bool bound() const { return isBound; }
    const OwedControls& owed() const { return current; }
    // Of what is owed, the bits the ECU acknowledged taking, on this connection:
    // those it holds as the tester wrote them, where the rest it may or may not.
    OwedControls confirmed() const;
    // The link went down: what the ECU holds is known no more.
    void forgetConfirmations() { acknowledged = {}; }

    // A write (0x62 and its pairs) is about to go out: every control register
    // written non-zero may hold that value from now on. Kept before the request
    // leaves, so that a run killed while it is on the wire still knows.
    void beforeWrite(std::span<const std::uint8_t> payload);
    // How it went: acknowledged, each register holds what was written (0 hands
    // it back); refused (or never sent), what it held before; unanswered, either.
    void afterWrite(std::span<const std::uint8_t> payload, WriteReply reply);

    // Something the person is to be told (what the hand-back of owed controls
    // achieved, a record that could not be read or kept), once.
    void tell(std::string text);
    std::vector<std::string> takeNews();

private:
    void keep();

    std::string port;
    bool isBound = false;
    OwedControls current;
    OwedControls acknowledged;
    OwedControls kept;
    OwedControls beforeRequest;
    std::vector<std::string> news;
};

}  // namespace ecuprobe::ecu
