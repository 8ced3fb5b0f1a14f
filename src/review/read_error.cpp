#include "review/read_error.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/utf8_path.h"

namespace ecuprobe::review {

std::string_view problemText(ReadProblem problem) {
    switch (problem) {
        case ReadProblem::cannotOpen:
            return "файл не открывается";
        case ReadProblem::tooLarge:
            return "файл слишком велик";
        case ReadProblem::notText:
            return "не текстовый файл";
        case ReadProblem::unknownKind:
            return "не файл отсчётов теста, не лог поездки и не дамп тестера";
        case ReadProblem::badHeader:
            return "заголовок не такой, как пишет тестер";
        case ReadProblem::badDate:
            return "дата не в виде \"Mon Jan  1 00:00:00 2024\"";
        case ReadProblem::badColumns:
            return "строка названий столбцов не такая, как пишет тестер";
        case ReadProblem::badRow:
            return "строка данных испорчена: не число или не хватает столбцов";
        case ReadProblem::tooManyRows:
            return "отсчётов больше, чем записывает тест";
        case ReadProblem::timeBackwards:
            return "время идёт назад: строка раньше предыдущей";
        case ReadProblem::cutShort:
            break;
    }
    return "файл обрывается";
}

std::string errorText(const ReadError& error) {
    const std::string text(problemText(error.problem));
    return error.line > 0 ? "строка " + std::to_string(error.line) + ": " + text : text;
}

std::optional<std::string> readFileBytes(const std::string& utf8Path, ReadError& error) {
    const std::filesystem::path path = platform::utf8Path(utf8Path);
    std::error_code failed;
    if (!std::filesystem::is_regular_file(path, failed)) {
        error = {ReadProblem::cannotOpen, 0};
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = {ReadProblem::cannotOpen, 0};
        return std::nullopt;
    }
    // Read in chunks up to one byte past the limit rather than trust the size given
    // beforehand: a file may grow while it is read (a drive log being written).
    // The size given is only room made at once, so that the text is held once.
    constexpr std::size_t chunkSize = 65536;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(
                      std::filesystem::file_size(path, failed), maxFileBytes)) +
                  chunkSize);
    char chunk[chunkSize];
    while (in && bytes.size() <= maxFileBytes) {
        in.read(chunk, sizeof chunk);
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        error = {ReadProblem::cannotOpen, 0};
        return std::nullopt;
    }
    if (bytes.size() > maxFileBytes) {
        error = {ReadProblem::tooLarge, 0};
        return std::nullopt;
    }
    return bytes;
}

TextLines splitLines(std::string_view text) {
    TextLines split;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        split.lines.push_back(line);
        if (end == std::string_view::npos) {
            split.lastEnded = false;
            break;
        }
        text.remove_prefix(end + 1);
    }
    return split;
}

int lineWithNul(std::string_view bytes) {
    const std::size_t at = bytes.find('\0');
    if (at == std::string_view::npos) {
        return 0;
    }
    return 1 +
           static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(at), '\n'));
}

std::string_view trimmed(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

std::string_view titleOf(std::string_view line) {
    constexpr std::string_view stars = "***";
    std::string_view title = trimmed(line);
    if (title.size() <= 2 * stars.size() || !title.starts_with(stars) || !title.ends_with(stars)) {
        return {};
    }
    title.remove_prefix(stars.size());
    title.remove_suffix(stars.size());
    return trimmed(title);
}

bool isStarLine(std::string_view line) {
    const std::string_view stars = trimmed(line);
    return stars.size() >= 3 && stars.find_first_not_of('*') == std::string_view::npos;
}

}  // namespace ecuprobe::review
