#include "ecu/owed_ledger.h"

#include <utility>

#include "ecu/ecu_commands.h"
#include "ecu/owed_store.h"

namespace ecuprobe::ecu {

namespace {

// Calls visit(index, value) for every (control register, value) pair of a write.
template <typename Visit>
void forEachControlPair(std::span<const std::uint8_t> payload, Visit visit) {
    if (payload.empty() || payload[0] != writeCommand) {
        return;
    }
    for (std::size_t i = 1; i + 1 < payload.size(); i += 2) {
        if (const std::optional<std::size_t> index = OwedControls::indexOf(payload[i])) {
            visit(*index, payload[i + 1]);
        }
    }
}

}  // namespace

void OwedLedger::bind(const std::string& portPath) {
    port = portPath;
    isBound = true;
    OwedStore::Loaded loaded = owedStore().load(port);
    current = loaded.owed;
    kept = loaded.owed;
    if (!loaded.problem.empty()) {
        tell(std::move(loaded.problem));
    }
}

void OwedLedger::beforeWrite(std::span<const std::uint8_t> payload) {
    beforeRequest = current;
    forEachControlPair(payload, [this](std::size_t index, std::uint8_t value) {
        current.held[index] = static_cast<std::uint8_t>(current.held[index] | value);
    });
    keep();
}

void OwedLedger::afterWrite(std::span<const std::uint8_t> payload, WriteReply reply) {
    forEachControlPair(payload, [this, reply](std::size_t index, std::uint8_t value) {
        switch (reply) {
            case WriteReply::acknowledged:
                current.held[index] = value;
                acknowledged.held[index] = value;
                break;
            case WriteReply::refused:
            case WriteReply::withheld:
                current.held[index] = beforeRequest.held[index];
                break;
            case WriteReply::unanswered:
                acknowledged.held[index] = 0;
                break;
        }
    });
    keep();
}

OwedControls OwedLedger::confirmed() const {
    OwedControls sure;
    for (std::size_t i = 0; i < sure.held.size(); ++i) {
        sure.held[i] = static_cast<std::uint8_t>(current.held[i] & acknowledged.held[i]);
    }
    return sure;
}

void OwedLedger::tell(std::string text) {
    news.push_back(std::move(text));
}

std::vector<std::string> OwedLedger::takeNews() {
    return std::exchange(news, {});
}

void OwedLedger::keep() {
    if (current == kept || !isBound) {
        return;
    }
    kept = current;
    if (std::string problem = owedStore().save(port, current); !problem.empty()) {
        tell(std::move(problem));
    }
}

}  // namespace ecuprobe::ecu
