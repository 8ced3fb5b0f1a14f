#pragma once

#include <string_view>

namespace ecuprobe::platform {

// The USB-serial chip that a vendor and product id (four hex digits each, as
// sysfs writes them) stand for: "FTDI FT232R", "Prolific PL2303"; empty for an
// id pair not in the table.
std::string_view usbChipName(std::string_view vendorId, std::string_view productId);

}  // namespace ecuprobe::platform
