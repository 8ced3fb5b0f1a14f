#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/input_lines.h"
#include "reports/user_prompts.h"

namespace ecuprobe::cli {

// Where a question is put to a person at a terminal and the answer typed.
class AnswerLine {
public:
    virtual ~AnswerLine() = default;
    // Shows the question and waits for the next line typed; nullopt when no answer
    // can come (the input ended, a stop was asked for).
    virtual std::optional<InputLine> ask(std::string_view question) = 0;
    // Shows a message that needs no answer.
    virtual void tell(std::string_view message) = 0;
    // Says why the line just typed answers nothing; the question is then asked
    // again. Lines typed before this was said were no answer to the question
    // asked again: where lines can be typed ahead, they are kept for later.
    virtual void refuse(std::string_view why) { tell(why); }
};

// Yes as "да", "д", "yes" or "y", No as "нет", "н", "no" or "n", in any case and
// with blanks around; an empty line takes the default; nullopt for anything else.
std::optional<bool> readYesNo(std::string_view typed, bool yesIsDefault);

// The questions of a service asked at a terminal, each answered by the next line
// typed; a line that answers nothing asks again. Yes/No takes its default from an
// empty line. The dump file: an empty line cancels, and a name without an
// extension gets the default one, as a Save-As dialog gives it. The comment: an
// empty line for none. When no answer can come the question is cancelled: No, no
// path, no comment.
class TerminalPrompts final : public reports::UserPrompts {
public:
    explicit TerminalPrompts(AnswerLine& answers) : line(answers) {}

    // The comment the next report takes without asking (a monitor command's
    // --comment); nullopt asks again.
    void giveComment(std::optional<std::string> text) { givenComment = std::move(text); }

    std::optional<std::string> askSavePath(const reports::SaveAsRequest& request) override;
    std::optional<std::string> askComment(std::size_t maxLength) override;
    bool askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) override;
    void showMessage(std::string_view caption, std::string_view text,
                     reports::MessageIcon icon) override;

private:
    // The next line that is not too long, its blanks around taken off; nullopt
    // when no answer can come.
    std::optional<std::string> answer(std::string question);

    AnswerLine& line;
    std::optional<std::string> givenComment;
};

}  // namespace ecuprobe::cli
