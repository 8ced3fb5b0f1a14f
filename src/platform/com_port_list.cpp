#include "platform/com_port_list.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <tuple>

namespace ecuprobe::platform {

namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

// 5 for "COM5" (any case); nullopt for any other name.
std::optional<int> comNumber(std::string_view name) {
    if (name.size() < 4 || upper(name.substr(0, 3)) != "COM" || name.size() > 6) {
        return std::nullopt;
    }
    int number = 0;
    for (const char c : name.substr(3)) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    return number > 0 ? std::optional<int>(number) : std::nullopt;
}

// Four hex digits after "VID_" or "PID_"; empty when there are none.
std::string idAfter(const std::string& hardwareId, std::string_view key) {
    const std::size_t at = hardwareId.find(key);
    if (at == std::string::npos || hardwareId.size() < at + key.size() + 4) {
        return {};
    }
    const std::string digits = hardwareId.substr(at + key.size(), 4);
    const bool hex = std::all_of(digits.begin(), digits.end(),
                                 [](unsigned char c) { return std::isxdigit(c) != 0; });
    std::string lower = digits;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return hex ? lower : std::string();
}

SerialDeviceInfo describe(const std::string& name, const ComPortRecord* record) {
    SerialDeviceInfo info;
    info.name = name;
    info.path = name;
    if (record == nullptr) {
        return info;
    }
    info.product = productOfFriendlyName(record->friendlyName, name);
    std::tie(info.vendorId, info.productId) = usbIdsOf(record->hardwareId);
    info.driver = record->service;
    // Standard ports name their maker in brackets: nobody in particular.
    if (!record->maker.starts_with('(')) {
        info.maker = record->maker;
    }
    return info;
}

}  // namespace

std::string productOfFriendlyName(std::string_view friendlyName, std::string_view portName) {
    const std::string suffix = " (" + upper(portName) + ")";
    std::string product(friendlyName);
    if (product.size() >= suffix.size() &&
        upper(product.substr(product.size() - suffix.size())) == suffix) {
        product.erase(product.size() - suffix.size());
    }
    return product;
}

std::pair<std::string, std::string> usbIdsOf(std::string_view hardwareId) {
    const std::string id = upper(hardwareId);
    std::string vendor = idAfter(id, "VID_");
    std::string product = idAfter(id, "PID_");
    if (vendor.empty() || product.empty()) {
        return {};
    }
    return {std::move(vendor), std::move(product)};
}

std::vector<SerialDeviceInfo> comPortDevices(const std::vector<std::string>& present,
                                             const std::vector<ComPortRecord>& records) {
    std::vector<std::pair<int, std::string>> names;
    const auto add = [&names](const std::string& name) {
        const std::optional<int> number = comNumber(name);
        if (number && std::none_of(names.begin(), names.end(),
                                   [&](const auto& known) { return known.first == *number; })) {
            names.emplace_back(*number, "COM" + std::to_string(*number));
        }
    };
    std::for_each(present.begin(), present.end(), add);
    for (const ComPortRecord& record : records) {
        add(record.portName);
    }
    std::sort(names.begin(), names.end());
    std::vector<SerialDeviceInfo> devices;
    for (const auto& entry : names) {
        const auto record = std::find_if(records.begin(), records.end(), [&](const auto& r) {
            return comNumber(r.portName) == entry.first;
        });
        devices.push_back(describe(entry.second, record == records.end() ? nullptr : &*record));
    }
    return devices;
}

}  // namespace ecuprobe::platform
