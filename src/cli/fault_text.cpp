#include "cli/fault_text.h"

namespace ecuprobe::cli {

std::string decodedForTerminal(std::string_view decoded) {
    std::string text;
    std::size_t from = 0;
    while (from <= decoded.size()) {
        const std::size_t end = decoded.find("\r\n", from);
        const std::string_view line = decoded.substr(
            from, end == std::string_view::npos ? std::string_view::npos : end - from);
        if (!line.empty()) {
            text.append(line);
            text += '\n';
        }
        if (end == std::string_view::npos) {
            break;
        }
        from = end + 2;
    }
    return text;
}

}  // namespace ecuprobe::cli
