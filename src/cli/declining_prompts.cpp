#include "cli/declining_prompts.h"

namespace ecuprobe::cli {

std::optional<std::string> DecliningPrompts::askSavePath(const reports::SaveAsRequest&) {
    return std::nullopt;
}

std::optional<std::string> DecliningPrompts::askComment(std::size_t) {
    return std::nullopt;
}

bool DecliningPrompts::askYesNo(std::string_view caption, std::string_view text, bool) {
    err << caption << ' ' << text << " Нет.\n";
    return false;
}

void DecliningPrompts::showMessage(std::string_view caption, std::string_view text,
                                   reports::MessageIcon) {
    err << caption << ": " << text << '\n';
}

}  // namespace ecuprobe::cli
