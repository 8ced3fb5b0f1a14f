#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "reports/user_prompts.h"

namespace ecuprobe::reports {

// The comment asked for with every report: empty until OK, at most 256
// characters (the dialog's input limit, kept here too for any face that asks).
class CommentDialog {
public:
    static constexpr std::size_t maxLength = 256;

    // Asks the person; after Cancel the comment stays empty.
    void run(UserPrompts& prompts);
    const std::string& comment() const { return text; }

private:
    std::string text;
};

// The first count characters of a UTF-8 text (whole characters, never a broken one).
std::string firstCharacters(std::string_view utf8, std::size_t count);

// A typed text without its NUL bytes, which would end the line in any program
// that reads the file.
std::string withoutNul(std::string_view typed);

// A typed comment as the report takes it, without NUL bytes; nullopt when it is
// longer than the comment's maxLength characters, which is never cut short unseen.
std::optional<std::string> commentText(std::string_view typed);

}  // namespace ecuprobe::reports
