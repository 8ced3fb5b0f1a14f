#pragma once

#include <string>
#include <string_view>

namespace ecuprobe::cli {

// UTF-16 text of a Windows call (the command line, a console's input) in UTF-8.
std::string utf8FromWide(std::wstring_view text);

}  // namespace ecuprobe::cli
