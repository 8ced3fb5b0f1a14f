#pragma once

#include <cstdlib>

namespace ecuprobe::fuzzing {

// A property the target checks: when it does not hold, libFuzzer keeps the input.
inline void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace ecuprobe::fuzzing
