#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ecuprobe::review {

// Far beyond any file the tester writes (a sample file is under 150 KB, a dump of
// years of reports a few MB, a day's drive log some tens of MB): a larger file is
// refused before it is read rather than fill the memory.
inline constexpr std::size_t maxFileBytes = std::size_t{64} * 1024 * 1024;

// Why a saved file could not be read back.
enum class ReadProblem : std::uint8_t {
    cannotOpen,
    tooLarge,
    notText,      // a NUL byte: a binary file
    unknownKind,  // none of the tester's files
    badHeader,    // the head of a sample table or a report is not as written
    badDate,
    badColumns,     // the column header or the units line
    badRow,         // a sample or log row: a cell that is no number, or cells missing
    tooManyRows,    // more samples than a run can record
    cutShort,       // the file ends inside a table, a report or a line
    timeBackwards,  // a sample or log row earlier than the one before it
};

// A problem and the line it was found on, counted from 1; 0 for the whole file.
struct ReadError {
    ReadProblem problem = ReadProblem::unknownKind;
    int line = 0;
};

// The problem as the tester tells it, without the line.
std::string_view problemText(ReadProblem problem);
// "строка N: <problem>", or the problem alone for the whole file.
std::string errorText(const ReadError& error);

// The bytes of a file, refused when it is larger than maxFileBytes. Only reads.
std::optional<std::string> readFileBytes(const std::string& utf8Path, ReadError& error);

// A text split into lines at LF, a CR before it dropped; line n is at n - 1.
// lastEnded tells whether the text ended with its line end (or was empty).
struct TextLines {
    std::vector<std::string_view> lines;
    bool lastEnded = true;
};
TextLines splitLines(std::string_view text);

// The line holds a NUL byte; its number, or 0 when there is none.
int lineWithNul(std::string_view bytes);

// A line that is only blanks and tabs around a run of at least three '*'.
bool isStarLine(std::string_view line);
// The title of a report's or sample file's title line (" \t *** Title *** "),
// empty for another line.
std::string_view titleOf(std::string_view line);
// The line without blanks, tabs, CR and LF at either end.
std::string_view trimmed(std::string_view line);

}  // namespace ecuprobe::review
