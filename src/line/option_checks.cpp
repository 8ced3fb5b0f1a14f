#include "line/option_checks.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/code_pages.h"
#include "reports/comment_dialog.h"

namespace ecuprobe::line {

namespace {

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

CLI::Validator wholeNumberIn(long min, long max) {
    const std::string expected =
        "expected a whole number from " + std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const bool digits = !text.empty() && text.size() <= 9 &&
                                std::all_of(text.begin(), text.end(),
                                            [](unsigned char c) { return std::isdigit(c); });
            if (!digits) {
                return expected + ", got '" + text + "'";
            }
            const long value = std::strtol(text.c_str(), nullptr, 10);
            return value >= min && value <= max ? "" : expected + ", got " + text;
        },
        std::to_string(min) + ".." + std::to_string(max));
}

CLI::Validator numberIn(double min, double max) {
    const std::string expected =
        "expected a number from " + shortNumber(min) + " to " + shortNumber(max);
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            const bool whole = !text.empty() && end == text.c_str() + text.size();
            if (!whole || !std::isfinite(value) || value < min || value > max) {
                return expected + ", got '" + text + "'";
            }
            return "";
        },
        shortNumber(min) + ".." + shortNumber(max));
}

CLI::Validator nonEmptyPath() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (text.empty()) {
                return "the path is empty";
            }
            return text.find('\0') != std::string::npos ? "the path holds a NUL byte" : "";
        },
        "PATH");
}

CLI::Validator commentText() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const std::optional<std::string> taken = reports::commentText(text);
            if (!taken) {
                return "the comment is longer than " +
                       std::to_string(reports::CommentDialog::maxLength) +
                       " characters; nothing was cut: shorten it";
            }
            // The dump would hold "?" in their place.
            if (const std::string lacking = platform::lackingInCp1251(*taken); !lacking.empty()) {
                return "the comment holds characters the tester dump's code page (CP1251) "
                       "cannot carry: " +
                       lacking + "; write it without them";
            }
            text = *taken;
            return "";
        },
        "");
}

}  // namespace ecuprobe::line
