#include "cli/command_prompts.h"

namespace ecuprobe::cli {

std::optional<std::string> CommandPrompts::askSavePath(const reports::SaveAsRequest&) {
    return answers.dumpPath;
}

std::optional<std::string> CommandPrompts::askComment(std::size_t) {
    return answers.comment;
}

bool CommandPrompts::askYesNo(std::string_view caption, std::string_view text, bool) {
    err << caption << ' ' << text << ' ' << (answers.yes ? "Да" : "Нет") << '\n';
    return answers.yes;
}

void CommandPrompts::showMessage(std::string_view caption, std::string_view text,
                                 reports::MessageIcon) {
    err << "ecuprobe-cli: " << caption << ": " << text << '\n';
}

}  // namespace ecuprobe::cli
