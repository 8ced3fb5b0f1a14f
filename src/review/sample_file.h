#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/run_descriptor.h"
#include "measure/run_sample.h"
#include "review/read_error.h"

namespace ecuprobe::review {

// One table of a sample file: the test that wrote it, its date and its samples.
struct SampleRun {
    const console::RunDescriptor* test = nullptr;
    std::string date;  // the 24-character calendar text, as written
    std::vector<measure::TestSample> samples;
    int firstLine = 0;  // where the table's head starts
};

// A measured run's sample file (".dmp", ".dma", ".dmm"), CP1251 with CR LF: the
// three title lines naming the test, the date, the column header, then a row of
// seven tab-separated numbers per sample. Files of the older tester may hold a
// second table after the first (two runs saved within one second); each is a run.
// The test is told by the title, not by the file's extension, which a person may
// have changed.
std::optional<std::vector<SampleRun>> readSampleFile(std::string_view bytes, ReadError& error);

// The test whose sample-file title line this is, none for another line.
const console::RunDescriptor* testOfSampleTitle(std::string_view utf8Line);

}  // namespace ecuprobe::review
