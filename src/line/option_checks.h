#pragma once

#include <CLI/CLI.hpp>

namespace ecuprobe::line {

// Option checks that refuse a value with a plain message before it is converted:
// a decimal whole number from min to max ("0x10", "-1", "1e3" and "" refused),
CLI::Validator wholeNumberIn(long min, long max);
// a finite number from min to max ("nan", "inf" refused),
CLI::Validator numberIn(double min, double max);
// a device or file path that is not empty and holds no NUL byte (which would
// end the name the system sees short of the name announced),
CLI::Validator nonEmptyPath();
// a report's comment of at most 256 characters, all of them such as the tester
// dump's code page carries, its NUL bytes dropped.
CLI::Validator commentText();

}  // namespace ecuprobe::line
