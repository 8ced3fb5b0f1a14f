#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ecu/unanswered_reads.h"

namespace ecuprobe::ecu {

// The ECU's descriptive texts, UTF-8, converted from the DOS code page in which
// the ECU sends them. A passport holds every block it was sent whole, each
// followed by CR LF.
struct EcuIdentity {
    std::uint8_t identityRead = 0;  // 0xFF once any passport block came
    std::string ecuName;            // "Микас 5.4", "Микас 7.1" or "Микас ?.?"
    std::string programPassport;    // up to 3 blocks
    std::string dataPassport;       // up to 5 blocks
    std::string modification;
    std::string serialNumber;
    std::string ecuDate;  // the ECU's date of manufacture
    std::string adcCalibration;
    std::string engineNumber;
    std::string bodyNumber;
    std::string carDate;              // the car's date of manufacture
    std::int32_t hasSpeedSensor = 0;  // equipment byte 0 bit 6, as of the last equipment read
    // An equipment answer came on this connection, so hasSpeedSensor tells.
    bool equipmentRead = false;
    // The texts the last identification read asked for and got no answer to: they
    // are empty (a passport lacks those blocks), so the texts are no complete read.
    UnansweredReads unansweredTexts;

    // Empties the passports and the texts; the name stays.
    void clearTexts();
};

// Bytes of the equipment answer: variables 1..5, the first 2 bytes wide.
inline constexpr std::size_t equipmentByteCount = 6;

// The text of one block: the answer's data bytes up to the first zero, at most
// 16 of them, from the DOS code page to UTF-8.
std::string identityBlock(std::span<const std::uint8_t> data);

// The equipment list: one text per set bit, byte 0 bit 0 first; every text but
// the first starts with CR LF. Bytes missing from the answer read as 0.
std::string equipmentText(std::span<const std::uint8_t> bytes);

// Whether a line of a written equipment list (without its CR LF) is one of its texts.
bool isEquipmentItem(std::string_view line);

// Equipment byte 0 bit 6: the car has a speed sensor.
bool speedSensorFitted(std::span<const std::uint8_t> bytes);

}  // namespace ecuprobe::ecu
