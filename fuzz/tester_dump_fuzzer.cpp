// Arbitrary bytes as a tester dump, and through the reader that tells the kinds
// apart: reports in the order of their lines, or a line inside the text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "require.h"
#include "review/dump_file.h"
#include "review/saved_file.h"

using ecuprobe::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ecuprobe::review::ReadError error;
    if (const auto entries = ecuprobe::review::readTesterDump(bytes, error)) {
        int last = 0;
        for (const ecuprobe::review::DumpEntry& entry : *entries) {
            require(entry.firstLine > last && entry.date.size() == 24 && !entry.title.empty());
            last = entry.firstLine;
        }
    } else {
        require(error.line >= 1 && static_cast<std::size_t>(error.line) <= size + 1);
    }
    ecuprobe::review::ReadError any;
    if (!ecuprobe::review::readSaved(bytes, any)) {
        require(any.line >= 1 && static_cast<std::size_t>(any.line) <= size + 1);
    }
    return 0;
}
