#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "reports/user_prompts.h"

namespace ecuprobe::cli {

// The questions of a service answered from the command line: the dump file from
// --dump (none: the save is cancelled), the comment from --comment, every Yes/No
// question with one fixed answer; messages go to stderr with their caption.
class CommandPrompts final : public reports::UserPrompts {
public:
    struct Answers {
        std::optional<std::string> dumpPath;
        std::string comment;
        bool yes = false;
    };

    CommandPrompts(Answers given, std::ostream& errors) : answers(std::move(given)), err(errors) {}

    std::optional<std::string> askSavePath(const reports::SaveAsRequest& request) override;
    std::optional<std::string> askComment(std::size_t maxLength) override;
    bool askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) override;
    void showMessage(std::string_view caption, std::string_view text,
                     reports::MessageIcon icon) override;

private:
    Answers answers;
    std::ostream& err;
};

}  // namespace ecuprobe::cli
