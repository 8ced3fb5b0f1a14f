#pragma once

#include <vector>

#include "sim/sim_types.h"

namespace ecuprobe::sim {

// Records the moments at which watched quantities of the model cross given
// levels, interpolated between two model steps, so that a test can hold the
// durations the tester measured against the truth.
class CrossingRecorder {
public:
    void watch(Quantity quantity, double level);
    void sample(double atMs, const EngineTruth& truth);
    bool watching() const { return !watches.empty(); }
    const std::vector<Crossing>& crossings() const { return seen; }

private:
    struct Watch {
        Quantity quantity;
        double level;
        bool primed;
        double lastValue;
        double lastMs;
    };

    std::vector<Watch> watches;
    std::vector<Crossing> seen;
};

double valueOf(Quantity quantity, const EngineTruth& truth);

}  // namespace ecuprobe::sim
