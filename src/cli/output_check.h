#pragma once

#include <filesystem>
#include <string>

namespace ecuprobe::cli {

// An output file checked before the port is touched, so that a run of minutes
// on the road never ends in a file that cannot be written. The check appends
// nothing and empties nothing; a file it had to create is removed again when
// the command ends without having written into it.
class CheckedOutput {
public:
    CheckedOutput() = default;
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;
    ~CheckedOutput();

    // Empty when the file (a UTF-8 path) can be appended to, created if missing;
    // otherwise why it cannot, in the system's words.
    std::string check(const std::string& utf8Path);

private:
    std::filesystem::path path;
    bool created = false;
};

// Whether a new file can be created in the current folder, where the sample
// files of the measured tests go: a file is made there and removed at once.
bool canCreateHere();

}  // namespace ecuprobe::cli
