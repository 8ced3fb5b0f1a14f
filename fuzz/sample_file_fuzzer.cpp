// Arbitrary bytes as a sample file: read or refused with a line inside the text,
// and every run read back gives figures and a comparison with itself.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "require.h"
#include "review/run_figures.h"
#include "review/sample_file.h"

using ecuprobe::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ecuprobe::review::ReadError error;
    const auto runs = ecuprobe::review::readSampleFile(bytes, error);
    if (!runs) {
        require(error.line >= 1 && static_cast<std::size_t>(error.line) <= size + 1);
        return 0;
    }
    for (const ecuprobe::review::SampleRun& run : *runs) {
        require(run.test != nullptr && run.samples.size() >= 2);
        const std::vector<ecuprobe::review::SampleRun> twice{run, run};
        require(ecuprobe::review::compareRuns(twice).comparison.has_value());
    }
    return 0;
}
