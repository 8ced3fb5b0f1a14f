#include "reports/comment_dialog.h"

#include <optional>

namespace ecuprobe::reports {

void CommentDialog::run(UserPrompts& prompts) {
    const std::optional<std::string> typed = prompts.askComment(maxLength);
    // Every face refuses a longer comment before it gets here; the field's limit
    // holds all the same.
    text = typed ? firstCharacters(withoutNul(*typed), maxLength) : std::string();
}

std::string withoutNul(std::string_view typed) {
    std::string text(typed);
    std::erase(text, '\0');
    return text;
}

std::optional<std::string> commentText(std::string_view typed) {
    std::string text = withoutNul(typed);
    if (firstCharacters(text, CommentDialog::maxLength).size() != text.size()) {
        return std::nullopt;
    }
    return text;
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
