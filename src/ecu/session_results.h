#pragma once

#include <cstdint>
#include <string_view>

namespace ecuprobe::ecu {

// What a session service that either got done or not returns, with the values the
// services have always had: connect() (the port opened, whatever the ECU
// answered), identifyEcuType() and checkLink() (connected afterwards; checkLink()
// also while a measured run holds the check off), selectStandardDataSet() (always
// done: the outcome is in connected()), readIdentity() (a passport block held),
// readEquipment() (answered), storeParameter() and the adaptation resets
// (acknowledged).
enum class ServiceResult : std::uint8_t { failed = 0, done = 1 };

// What a read of a data set returns: readLiveData() (the values refreshed) and
// selectTestDataSet() (selected; failed also while not connected).
enum class ReadResult : std::uint8_t { read = 0, failed = 0xFF };

constexpr std::string_view serviceResultName(ServiceResult result) {
    return result == ServiceResult::done ? "done" : "failed";
}

constexpr std::string_view readResultName(ReadResult result) {
    return result == ReadResult::read ? "read" : "failed";
}

}  // namespace ecuprobe::ecu
