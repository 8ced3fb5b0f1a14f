#include "ecu/faults.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "ecu/ecu_commands.h"
#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::string_view noFaultsText = "*** Нет Ошибок ***";

// " 013:20," for the console's fault line.
std::string shortItem(const FaultCode& fault) {
    char item[16];
    std::snprintf(item, sizeof item, " %03i:%02x,", fault.code, fault.status);
    return item;
}

// "\r\n 013:20: <description> <status words>." for the dialog and the report.
std::string decodedItem(const FaultCode& fault) {
    char head[16];
    std::snprintf(head, sizeof head, "\r\n %03i:%02x: ", fault.code, fault.status);
    return head + faultDescription(fault.code) + " " + faultStatusText(fault.status) + ".";
}

}  // namespace

std::string faultDescription(std::uint8_t code) {
    for (const FaultText& entry : faultTexts()) {
        if (entry.code == code) {
            return std::string(entry.description);
        }
    }
    return "*** Неизвестная ошибка ***";
}

std::string faultStatusText(std::uint8_t status) {
    std::string words;
    if ((status & 0x20) != 0) {
        words += "= многократн.";
    }
    if ((status & 0x40) != 0) {
        words += " = однократн.";
    }
    return words;
}

void EcuSession::readFaults() {
    if (held.connected == 0 || !exchange({readFaultsCommand})) {
        return;
    }
    const std::span<const std::uint8_t> answer = currentLink->response();
    faultsAnswered = true;
    held.faultCount = static_cast<std::int8_t>(answer[0]);
    storedFaultCount = 0;
    if (held.faultCount <= 0) {
        return;
    }
    // Only whole pairs that arrived are taken, and never more than the array holds.
    const std::size_t dataLength = answerData().size();
    const std::size_t pairsReceived = dataLength > 0 ? (dataLength - 1) / 2 : 0;
    storedFaultCount =
        std::min({static_cast<std::size_t>(held.faultCount), pairsReceived, held.faults.size()});
    for (std::size_t i = 0; i < storedFaultCount; ++i) {
        held.faults[i] = {answer[1 + 2 * i], answer[2 + 2 * i]};
    }
}

// Withheld after a stop, the list stays as read. Once the clear went out, its
// end (0 to 0x0E) follows whatever comes.
void EcuSession::clearFaults() {
    sleepMs(100);
    if (withholdAfterStop()) {
        return;
    }
    if (sendWrite(std::array{writeCommand, regulatorVariable, clearFaultsCommandValue}) ==
        WriteReply::withheld) {
        return;
    }
    sleepMs(100);
    exchange({writeCommand, regulatorVariable, 0x00});
    held.faultCount = 0;
    storedFaultCount = 0;
    // Neither answer is examined: only the next read tells whether the list is empty.
    faultsAnswered = false;
}

std::span<const FaultCode> EcuSession::storedFaults() const {
    if (held.faultCount <= 0) {
        return {};
    }
    return std::span(held.faults)
        .first(std::min(storedFaultCount, static_cast<std::size_t>(held.faultCount)));
}

namespace {

// Both fault texts: empty while disconnected or for a negative count, the
// no-faults line for an empty list, otherwise one item per stored entry.
std::string faultList(const EcuSession& session, std::string (*item)(const FaultCode&)) {
    if (session.connected() == 0) {
        return {};
    }
    if (session.faultCount() == 0) {
        return std::string(noFaultsText);
    }
    std::string text;
    for (const FaultCode& fault : session.storedFaults()) {
        text += item(fault);
    }
    return text;
}

}  // namespace

void EcuSession::faultListShort(std::string& text) const {
    text = faultList(*this, shortItem);
}

void EcuSession::faultListDecoded(std::string& text) const {
    text = faultList(*this, decodedItem);
}

}  // namespace ecuprobe::ecu
