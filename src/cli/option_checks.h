#pragma once

#include <CLI/CLI.hpp>

namespace ecuprobe::cli {

// Option checks that refuse a value with a plain message before it is converted:
// a decimal whole number from min to max ("0x10", "-1", "1e3" and "" refused),
CLI::Validator wholeNumberIn(long min, long max);
// a finite number from min to max ("nan", "inf" refused),
CLI::Validator numberIn(double min, double max);
// a device or file path that is not empty.
CLI::Validator nonEmptyPath();

}  // namespace ecuprobe::cli
