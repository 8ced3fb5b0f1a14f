#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/state_files.h"

namespace ecuprobe::platform {

namespace {

// A relative XDG_STATE_HOME is invalid and ignored, as the XDG base directories say.
std::filesystem::path absoluteFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value != '/') {
        return {};
    }
    return value;
}

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// So that the rename itself survives a power cut, not just the file's bytes.
void flushFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::filesystem::path userStateFolder() {
    std::filesystem::path base = absoluteFromEnvironment("XDG_STATE_HOME");
    if (base.empty()) {
        const std::filesystem::path home = absoluteFromEnvironment("HOME");
        if (home.empty()) {
            return {};
        }
        base = home / ".local" / "state";
    }
    return base / "ecuprobe";
}

std::string replaceFileAtomically(const std::filesystem::path& temporary,
                                  const std::filesystem::path& target, std::string_view text) {
    // Made afresh: whatever a killed run or someone else left under the name (a
    // FIFO would hold the open until a reader came) is not written into.
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return systemError("cannot create");
    }
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const std::string problem = written ? std::string() : systemError("cannot write");
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return problem;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string renameProblem = systemError("cannot rename");
        ::unlink(temporary.c_str());
        return renameProblem;
    }
    flushFolder(target.parent_path());
    return {};
}

}  // namespace ecuprobe::platform
