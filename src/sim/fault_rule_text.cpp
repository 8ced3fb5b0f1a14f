#include "sim/fault_rule_text.h"

#include <charconv>
#include <string>

namespace ecuprobe::sim {

namespace {

// Above every signal number a system has (Linux ends at 64).
constexpr int maxSignalNumber = 128;

template <typename Number>
std::optional<Number> number(std::string_view text, int base = 10) {
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) {
        text.remove_prefix(2);
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> chance(std::string_view text) {
    try {
        std::size_t used = 0;
        const double p = std::stod(std::string(text), &used);
        return used == text.size() && p >= 0 && p <= 1 ? std::optional(p) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool applyOption(FaultRule& rule, std::string_view option) {
    using Mode = FaultTrigger::Mode;
    if (option == "once") {
        rule.trigger.mode = Mode::once;
        return true;
    }
    const auto eq = option.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    const std::string_view key = option.substr(0, eq);
    const std::string_view value = option.substr(eq + 1);
    if (key == "every" || key == "after") {
        const auto n = number<std::uint32_t>(value);
        rule.trigger.mode = key == "every" ? Mode::everyNth : Mode::afterN;
        rule.trigger.n = n.value_or(0);
        return n.has_value() && (key == "after" || *n > 0);
    }
    if (key == "p") {
        const auto p = chance(value);
        rule.trigger.mode = Mode::probability;
        rule.trigger.probability = p.value_or(0);
        return p.has_value();
    }
    if (key == "cmd") {
        rule.trigger.command = number<std::uint8_t>(value, 16);
        return rule.trigger.command.has_value();
    }
    if (key == "sig" && rule.kind == FaultKind::stopSignal) {
        const auto signal = number<int>(value);
        rule.signalNumber = signal.value_or(0);
        return signal && *signal > 0 && *signal < maxSignalNumber;
    }
    if (key == "ms") {
        const auto ms = number<std::uint32_t>(value);
        rule.vanishMs = ms.value_or(0);
        return ms.has_value();
    }
    return false;
}

}  // namespace

std::optional<FaultRule> parseFaultRule(std::string_view text) {
    const auto colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    // Any stop signal, by its number; sigterm is the one most often asked for.
    const auto kind = name == "signal" ? FaultKind::stopSignal : faultKindFromName(name);
    if (!kind) {
        return std::nullopt;
    }
    FaultRule rule;
    rule.kind = *kind;
    std::string_view options = colon == std::string_view::npos ? "" : text.substr(colon + 1);
    if (colon != std::string_view::npos && options.empty()) {
        return std::nullopt;
    }
    while (!options.empty()) {
        const auto comma = options.find(',');
        if (!applyOption(rule, options.substr(0, comma))) {
            return std::nullopt;
        }
        options = comma == std::string_view::npos ? "" : options.substr(comma + 1);
    }
    return rule;
}

std::optional<std::vector<StoredFault>> parseStoredFaults(std::string_view text) {
    std::vector<StoredFault> faults;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const auto colon = item.find(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        const auto code = number<std::uint8_t>(item.substr(0, colon));
        const auto status = number<std::uint8_t>(item.substr(colon + 1), 16);
        if (!code || !status) {
            return std::nullopt;
        }
        faults.push_back({*code, *status});
        text = comma == std::string_view::npos ? "" : text.substr(comma + 1);
    }
    return faults;
}

std::optional<EquipmentBytes> parseEquipment(std::string_view text) {
    EquipmentBytes bytes{};
    if (text.size() != 2 * bytes.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = number<std::uint8_t>(text.substr(2 * i, 2), 16);
        if (!byte) {
            return std::nullopt;
        }
        bytes[i] = *byte;
    }
    return bytes;
}

}  // namespace ecuprobe::sim
