#pragma once

#include <filesystem>
#include <string>

namespace ecuprobe::platform {

// A file name as the tester holds it, in UTF-8. Given as a plain string, Windows
// would read it in the ANSI code page and a Cyrillic name would come out garbled.
inline std::filesystem::path utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace ecuprobe::platform
