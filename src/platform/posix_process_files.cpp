#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// One file, or two nodes of one device (a node of one's own made with mknod).
bool sameNode(const struct stat& first, const struct stat& second) {
    if (S_ISCHR(first.st_mode) && S_ISCHR(second.st_mode)) {
        return first.st_rdev == second.st_rdev;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

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

bool standardStreamIs(int stream, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(stream, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           sameNode(open, named);
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0) {
        return sameNode(first, second);
    }
    std::error_code aError;
    std::error_code bError;
    const std::filesystem::path aPath = std::filesystem::weakly_canonical(a, aError);
    const std::filesystem::path bPath = std::filesystem::weakly_canonical(b, bError);
    return !aError && !bError && !aPath.empty() && aPath == bPath;
}

RegularFileText readRegularFile(const std::filesystem::path& path, std::size_t maxSize) {
    using Found = RegularFileText::Found;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? RegularFileText{}
                               : RegularFileText{Found::unreadable, {}, std::strerror(errno)};
    }
    RegularFileText read{Found::text, {}, {}};
    struct stat node {};
    if (::fstat(fd, &node) != 0 || !S_ISREG(node.st_mode)) {
        read.problem = "not a regular file";
    }
    char chunk[4096];
    while (read.problem.empty()) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            read.problem = errno == EINTR ? "" : std::strerror(errno);
            continue;
        }
        read.text.append(chunk, static_cast<std::size_t>(got));
        read.problem = read.text.size() > maxSize ? "too long" : "";
    }
    ::close(fd);
    if (!read.problem.empty()) {
        read.found = Found::unreadable;
        read.text.clear();
    }
    return read;
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
