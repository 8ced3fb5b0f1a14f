#pragma once

#include <string>
#include <string_view>

#include "console/run_descriptor.h"

namespace ecuprobe::review {

// Whether a report of the tester dump ends as the tester ends it, told from its
// lines as they come: the state report with its equipment list ("Комплектация:"
// and its items), a measured test's with the sample file it names or, without
// one, with its last result line. A report that ends otherwise was cut short (a
// full disk, a crash) and is no report to show. A report of another title is
// taken as it is.
class ReportEnd {
public:
    explicit ReportEnd(std::string_view title);

    // Every line of the report after its head, the empty ones too.
    void take(std::string_view line);
    bool whole() const;

private:
    bool stateReport = false;
    const console::RunDescriptor* test = nullptr;
    std::string last;
    bool inEquipment = false;
};

// Whether a line is one that a C format of the report lines prints ("%i", "%4u",
// "%.4f", "%x", "%X", "%s", "%%"); %s stands for any text.
bool printedBy(std::string_view line, std::string_view format);

}  // namespace ecuprobe::review
