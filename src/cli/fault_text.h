#pragma once

#include <string>
#include <string_view>

namespace ecuprobe::cli {

// The decoded fault list for a terminal: the session's text starts every entry
// with CR LF; here each entry is one line ending in LF, without the leading empty line.
std::string decodedForTerminal(std::string_view decoded);

}  // namespace ecuprobe::cli
