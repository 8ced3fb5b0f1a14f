#include "reports/comment_dialog.h"

#include <optional>

namespace ecuprobe::reports {

void CommentDialog::run(UserPrompts& prompts) {
    const std::optional<std::string> typed = prompts.askComment(maxLength);
    text = typed ? firstCharacters(*typed, maxLength) : std::string();
}

std::string firstCharacters(std::string_view utf8, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t characters = 0; end < utf8.size() && characters < count; ++characters) {
        // Skip the continuation bytes (10xxxxxx) of the character that starts here.
        ++end;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            ++end;
        }
    }
    return std::string(utf8.substr(0, end));
}

}  // namespace ecuprobe::reports
