#pragma once

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// What the process tests of ecuprobe-cli share: where the program is, and how
// to read what it wrote on the line from its wire trace.
namespace ecuprobe::cli::testing_support {

using Args = std::vector<std::string>;

inline const std::string cliPath = ECUPROBE_CLI_PATH;

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> splitLines(const std::string& text, char separator = '\n') {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

// A fresh trace file in the temporary directory; the trace appends.
inline std::string freshTracePath(const std::string& name) {
    const std::string path = ::testing::TempDir() + "ecuprobe_cli_" + name + ".trace";
    std::remove(path.c_str());
    return path;
}

// The frames the tester wrote, as "62 09 00 95 0D".
inline std::vector<std::string> writtenFrames(const std::string& tracePath) {
    std::ifstream in(tracePath);
    std::vector<std::string> frames;
    for (std::string line; std::getline(in, line);) {
        if (const std::size_t at = line.find("TX   "); at != std::string::npos) {
            frames.push_back(line.substr(at + 5));
        }
    }
    return frames;
}

// The hand-back of every control: registers 0x09..0x0E written 0, each framed
// with its checksum; 0x0D goes out escaped as 0x40 0xCD.
inline const std::vector<std::string> releaseFrames{
    "62 09 00 95 0D", "62 0A 00 94 0D",    "62 0B 00 93 0D",
    "62 0C 00 92 0D", "62 40 CD 00 91 0D", "62 0E 00 90 0D",
};

// Rows of a drive log: the two head lines, then one vector of cells per read.
inline std::vector<std::vector<std::string>> logRows(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : splitLines(fileText(path))) {
        rows.push_back(splitLines(line, '\t'));
    }
    return rows;
}

// The last six writes of the trace, where a write repeated right after itself
// counts once: the hand-back writes a register once more when the ECU was slow to
// acknowledge it (on a loaded machine too).
inline std::vector<std::string> lastSixWrites(const std::vector<std::string>& frames) {
    std::vector<std::string> writes;
    std::unique_copy(frames.begin(), frames.end(), std::back_inserter(writes));
    const std::size_t count = std::min<std::size_t>(6, writes.size());
    return {writes.end() - static_cast<std::ptrdiff_t>(count), writes.end()};
}

}  // namespace ecuprobe::cli::testing_support
