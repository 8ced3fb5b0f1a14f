#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/descriptor_output.h"
#include "platform/process_files.h"

namespace ecuprobe::platform {

namespace {

// The stream and the buffer it writes through, as one object.
class DescriptorStream final : public std::ostream {
public:
    explicit DescriptorStream(int fd) : std::ostream(nullptr), output(fd, nullptr, false, true) {
        rdbuf(&output);
    }

private:
    DescriptorOutput output;
};

}  // namespace

bool reserveStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lower ones are open by now, so the lowest free descriptor is this one.
        if (::open("/dev/null", O_RDWR) != fd) {
            return false;
        }
    }
    return true;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    std::error_code aError;
    std::error_code bError;
    const std::filesystem::path aPath = std::filesystem::weakly_canonical(a, aError);
    const std::filesystem::path bPath = std::filesystem::weakly_canonical(b, bError);
    return !aError && !bError && !aPath.empty() && aPath == bPath;
}

std::unique_ptr<std::ostream> openAppendFile(const std::string& path) {
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<DescriptorStream>(fd);
}

}  // namespace ecuprobe::platform
