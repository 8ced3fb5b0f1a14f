#include "cli/terminal_prompts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <span>

#include "platform/code_pages.h"
#include "reports/comment_dialog.h"

namespace ecuprobe::cli {

namespace {

constexpr std::string_view blanks = " \t";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// ASCII and the Cyrillic capitals А..Я (UTF-8 D0 90..D0 AF) in lower case.
std::string lowerCase(std::string_view text) {
    std::string lower;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (c == 0xD0 && next >= 0x90 && next <= 0x9F) {
            lower += {'\xD0', static_cast<char>(next + 0x20)};
            ++i;
        } else if (c == 0xD0 && next >= 0xA0 && next <= 0xAF) {
            lower += {'\xD1', static_cast<char>(next - 0x20)};
            ++i;
        } else {
            lower += c < 0x80 ? static_cast<char>(std::tolower(c)) : text[i];
        }
    }
    return lower;
}

constexpr std::array<std::string_view, 4> yesWords{"да", "д", "yes", "y"};
constexpr std::array<std::string_view, 4> noWords{"нет", "н", "no", "n"};

bool oneOf(const std::string& word, std::span<const std::string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// A Save-As dialog adds the default extension to a name typed without one.
std::string withDefaultExtension(std::string path, const std::string& extension) {
    const std::filesystem::path typed(path);
    if (!extension.empty() && typed.has_filename() && !typed.has_extension()) {
        path += '.' + extension;
    }
    return path;
}

// Why a typed comment is asked for again; empty when the report can take it as typed.
std::string commentProblem(const std::string& typed, std::size_t maxLength) {
    if (typed.find('\0') != std::string::npos) {
        return "a comment cannot hold a NUL byte (it would end the line for whatever reads the "
               "dump): type it again";
    }
    if (reports::firstCharacters(typed, maxLength).size() != typed.size()) {
        return "longer than " + std::to_string(maxLength) + " characters: type a shorter one";
    }
    if (const std::string lacking = platform::lackingInCp1251(typed); !lacking.empty()) {
        return "the tester dump's code page (CP1251) cannot carry " + lacking +
               ": type it without them";
    }
    return {};
}

}  // namespace

std::optional<bool> readYesNo(std::string_view typed, bool yesIsDefault) {
    const std::string word = lowerCase(trimmed(typed));
    if (word.empty()) {
        return yesIsDefault;
    }
    if (oneOf(word, yesWords)) {
        return true;
    }
    if (oneOf(word, noWords)) {
        return false;
    }
    return std::nullopt;
}

std::optional<std::string> TerminalPrompts::answer(std::string question) {
    for (;;) {
        const std::optional<InputLine> typed = line.ask(question);
        if (!typed) {
            return std::nullopt;
        }
        if (!typed->tooLong) {
            return std::string(trimmed(typed->text));
        }
        line.refuse(lineTooLongMessage());
    }
}

std::optional<std::string> TerminalPrompts::askSavePath(const reports::SaveAsRequest& request) {
    const std::string kind = request.filter.substr(0, request.filter.find('|'));
    for (;;) {
        const std::optional<std::string> path =
            answer("Сохранить в файл: " + kind + "; пустая строка - отмена:");
        if (!path || path->empty()) {
            return std::nullopt;
        }
        // The system would stop reading the name at the NUL: another file than the one typed.
        if (path->find('\0') == std::string::npos) {
            return withDefaultExtension(*path, request.defaultExtension);
        }
        line.refuse("a file name cannot hold a NUL byte: type another");
    }
}

std::optional<std::string> TerminalPrompts::askComment(std::size_t maxLength) {
    if (givenComment) {
        std::optional<std::string> given = std::move(givenComment);
        givenComment.reset();
        return given;
    }
    const std::string question = "Ввод коментария при сохранении (до " + std::to_string(maxLength) +
                                 " знаков; пустая строка - без коментария):";
    for (;;) {
        const std::optional<std::string> typed = answer(question);
        if (!typed || typed->empty()) {
            return std::nullopt;
        }
        if (const std::string problem = commentProblem(*typed, maxLength); !problem.empty()) {
            line.refuse(problem);
            continue;
        }
        return typed;
    }
}

bool TerminalPrompts::askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) {
    const std::string question =
        std::string(caption) + " " + std::string(text) + (yesIsDefault ? " [Да/нет]" : " [да/Нет]");
    for (;;) {
        const std::optional<std::string> typed = answer(question);
        if (!typed) {
            return false;
        }
        if (const std::optional<bool> yes = readYesNo(*typed, yesIsDefault)) {
            return *yes;
        }
        line.refuse("answer да or нет");
    }
}

void TerminalPrompts::showMessage(std::string_view caption, std::string_view text,
                                  reports::MessageIcon) {
    line.tell(std::string(caption) + ": " + std::string(text));
}

}  // namespace ecuprobe::cli
