// Arbitrary lines typed into the terminal console: each is a command, a message
// saying why it is none, or nothing at all for a blank line; a click always names
// a control the console has words for.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cli/monitor_input.h"
#include "require.h"

using ecuprobe::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const ecuprobe::cli::ParsedLine parsed = ecuprobe::cli::parseMonitorLine(line);
    require(!(parsed.command.has_value() && !parsed.error.empty()));
    if (parsed.command && parsed.command->verb == ecuprobe::cli::MonitorVerb::click) {
        require(!ecuprobe::cli::wordsFor(parsed.command->control).empty());
    }
    if (!parsed.command && parsed.error.empty()) {
        require(line.find_first_not_of(" \t\r") == std::string_view::npos);
    }
    return 0;
}
