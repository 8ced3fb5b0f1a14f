#include "sim/crossing_recorder.h"

namespace ecuprobe::sim {

double valueOf(Quantity quantity, const EngineTruth& truth) {
    switch (quantity) {
        case Quantity::engineSpeed:
            return truth.rpm;
        case Quantity::vehicleSpeed:
            return truth.vehicleKmh;
        case Quantity::coolant:
            return truth.coolantC;
    }
    return 0;
}

void CrossingRecorder::watch(Quantity quantity, double level) {
    watches.push_back({quantity, level, false, 0, 0});
}

void CrossingRecorder::sample(double atMs, const EngineTruth& truth) {
    for (Watch& w : watches) {
        const double value = valueOf(w.quantity, truth);
        if (w.primed) {
            // A rising crossing reaches the level (value >= level), a falling one
            // comes down to it (value <= level), as the tester's comparisons do.
            const bool rising = w.lastValue < w.level && value >= w.level;
            const bool falling = w.lastValue > w.level && value <= w.level;
            if (rising || falling) {
                const double share = (w.level - w.lastValue) / (value - w.lastValue);
                seen.push_back({w.quantity, w.level, rising, w.lastMs + share * (atMs - w.lastMs)});
            }
        }
        w.primed = true;
        w.lastValue = value;
        w.lastMs = atMs;
    }
}

}  // namespace ecuprobe::sim
