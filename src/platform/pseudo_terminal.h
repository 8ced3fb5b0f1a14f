#pragma once

#include <optional>
#include <string>

namespace ecuprobe::platform {

// A pseudo-terminal pair (POSIX only): the master side a program serves, and one
// descriptor of the slave side held open in raw 9600 8N1, so that the settings
// survive the other side's reconnects and the master never reads EIO in between.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // A new pair, the master non-blocking; closes the one held before. False with
    // error() set, and nothing left open, when it cannot be made.
    bool create();
    void close();

    // The master's descriptor, -1 while there is none.
    int master() const { return masterFd; }
    const std::string& slavePath() const { return path; }
    const std::string& error() const { return lastError; }
    // How the slave's line settings differ from raw 9600 8N1 ("speed is not 9600,
    // not raw"), empty when they do not; nothing when they cannot be read.
    std::optional<std::string> settingsProblem() const;

private:
    int masterFd = -1;
    int slaveFd = -1;
    std::string path;
    std::string lastError;
};

}  // namespace ecuprobe::platform
