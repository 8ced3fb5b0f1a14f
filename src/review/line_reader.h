#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace ecuprobe::review {

// The lines of a saved file one at a time, a CR before each LF dropped, each
// taken from CP1251 to UTF-8 as it is reached (or kept as it is): the whole
// text is never split or converted at once, so reading a file costs little
// more than its bytes. The readers look a few lines ahead; only those are held.
class LineReader {
public:
    LineReader(std::string_view bytes, bool fromCp1251) : rest(bytes), convert(fromCp1251) {}

    // The line `ahead` lines past the current one; null past the last.
    const std::string* peek(std::size_t ahead = 0);
    // Whether that line ended with its LF (the last line of a file may not).
    bool ended(std::size_t ahead = 0);
    bool atEnd() { return peek() == nullptr; }
    void advance();
    // The number of the current line, counted from 1 (one past the last at the end).
    int number() const { return current; }
    // Whether the line last advanced past ended with its LF (true before any).
    bool passedLineEnded() const { return passedEnded; }

private:
    struct Line {
        std::string text;
        bool ended;
    };

    bool readOne();

    std::string_view rest;
    bool convert;
    std::deque<Line> window;
    int current = 1;
    bool passedEnded = true;
};

}  // namespace ecuprobe::review
