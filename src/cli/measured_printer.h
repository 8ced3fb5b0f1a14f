#pragma once

#include <ostream>
#include <string>

#include "console/measured_form.h"
#include "measure/run_sampler.h"

namespace ecuprobe::cli {

enum class TestKind { dynamic, acceleration, loss };

// A test's results with the dialog's captions and units, then the interpolated
// duration, marked as such (the files keep the measured one).
std::string resultText(const console::MeasuredForm& form);

// One line on a terminal that follows a run: the phase, the watched value
// between the two levels and the answers so far. Silent into a pipe or file.
class ProgressLine {
public:
    ProgressLine(std::ostream& sink, bool terminal) : out(sink), shown(terminal) {}

    void show(const measure::SampleProgress& progress);
    // Ends the line, so what follows starts on a line of its own.
    void finish();

private:
    std::ostream& out;
    bool shown;
    bool drawn = false;
};

}  // namespace ecuprobe::cli
