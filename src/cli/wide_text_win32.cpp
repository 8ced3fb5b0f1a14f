#include <windows.h>

#include "cli/wide_text.h"

namespace ecuprobe::cli {

std::string utf8FromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int wide = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, converted.data(), size, nullptr, nullptr);
    return converted;
}

}  // namespace ecuprobe::cli
