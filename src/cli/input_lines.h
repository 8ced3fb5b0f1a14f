#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/input_bytes.h"

namespace ecuprobe::cli {

// One line typed in; a line longer than the limit comes without its text.
struct InputLine {
    std::string text;
    bool tooLong = false;

    bool operator==(const InputLine&) const = default;
};

// What a line longer than InputLines::maxLineBytes is answered with.
std::string lineTooLongMessage();

// Where typed lines come from: stdin, or a script in the tests.
class LineSource {
public:
    virtual ~LineSource() = default;
    // Waits up to timeoutMs for input and returns the complete lines that came,
    // possibly none (also when a signal cut the wait short).
    virtual std::vector<InputLine> wait(std::uint32_t timeoutMs) = 0;
    // No line will come any more.
    virtual bool ended() const = 0;
};

// Lines from a descriptor (stdin) without ever blocking longer than asked, so
// that typed commands never hold up a poll tick. Memory stays bounded whatever
// comes in: a line longer than maxLineBytes is dropped as it arrives.
class InputLines final : public LineSource {
public:
    static constexpr std::size_t maxLineBytes = 4096;

    explicit InputLines(int descriptor) : source(inputBytesFrom(descriptor)) {}
    explicit InputLines(std::unique_ptr<InputBytes> bytes) : source(std::move(bytes)) {}

    // At the end of input an unfinished last line is returned as a line of its own.
    std::vector<InputLine> wait(std::uint32_t timeoutMs) override;
    bool ended() const override { return atEnd; }

private:
    void take(const char* bytes, std::size_t count, std::vector<InputLine>& lines);
    void endLine(std::vector<InputLine>& lines);

    std::unique_ptr<InputBytes> source;
    std::string pending;
    bool overlong = false;
    bool atEnd = false;
};

}  // namespace ecuprobe::cli
