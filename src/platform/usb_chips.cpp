#include "platform/usb_chips.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace ecuprobe::platform {

namespace {

struct UsbChip {
    std::string_view vendorId;
    std::string_view productId;
    std::string_view name;
};

// The chips K-line cables are built on; FTDI's carry the latency timer.
constexpr UsbChip chips[] = {
    {"0403", "6001", "FTDI FT232R"},         {"0403", "6010", "FTDI FT2232"},
    {"0403", "6011", "FTDI FT4232H"},        {"0403", "6014", "FTDI FT232H"},
    {"0403", "6015", "FTDI FT-X"},           {"067b", "2303", "Prolific PL2303"},
    {"10c4", "ea60", "Silicon Labs CP210x"}, {"1a86", "7523", "WCH CH340"},
    {"1a86", "5523", "WCH CH341"},
};

std::string lowered(std::string_view text) {
    std::string low(text);
    std::transform(low.begin(), low.end(), low.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return low;
}

}  // namespace

std::string_view usbChipName(std::string_view vendorId, std::string_view productId) {
    const std::string vendor = lowered(vendorId);
    const std::string product = lowered(productId);
    for (const UsbChip& chip : chips) {
        if (chip.vendorId == vendor && chip.productId == product) {
            return chip.name;
        }
    }
    return {};
}

}  // namespace ecuprobe::platform
