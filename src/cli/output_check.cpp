#include "cli/output_check.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/new_file.h"
#include "platform/utf8_path.h"

namespace ecuprobe::cli {

namespace {

// Tries a few names that no tester file takes; another program may hold one.
constexpr int probeNames = 8;

}  // namespace

CheckedOutput::~CheckedOutput() {
    std::error_code unknown;
    if (created && std::filesystem::is_regular_file(path, unknown) &&
        std::filesystem::file_size(path, unknown) == 0) {
        std::filesystem::remove(path, unknown);
    }
}

std::string CheckedOutput::check(const std::string& utf8Path) {
    path = platform::utf8Path(utf8Path);
    std::error_code unknown;
    created = !std::filesystem::exists(path, unknown);
    errno = 0;
    const std::ofstream probe(path, std::ios::out | std::ios::app | std::ios::binary);
    if (probe) {
        return {};
    }
    const int why = errno;
    created = false;
    return why != 0 ? std::strerror(why) : "it cannot be opened for writing";
}

bool canCreateHere() {
    for (int n = 0; n < probeNames; ++n) {
        const std::string name = ".ecuprobe-check-" + std::to_string(n);
        switch (platform::createNewFile(name)) {
            case platform::NewFile::created: {
                std::error_code unknown;
                std::filesystem::remove(platform::utf8Path(name), unknown);
                return true;
            }
            case platform::NewFile::taken:
                continue;
            case platform::NewFile::failed:
                return false;
        }
    }
    return false;
}

}  // namespace ecuprobe::cli
