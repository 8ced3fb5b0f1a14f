#pragma once

#include <cstddef>
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

}  // namespace ecuprobe::reports
