#include "cli/device_check.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ecuprobe::cli {

namespace {

std::string reasonOf(int error) {
    switch (error) {
        case ENOENT:
            return "no such device";
        // Debian gives serial devices to the dialout group; membership counts
        // from the next login on.
        case EACCES:
        case EPERM:
            return "нет доступа: пользователь не входит в группу dialout; выполните "
                   "sudo usermod -aG dialout $USER и войдите в систему заново";
        case EBUSY:
            return "busy: another program holds it";
        default:
            return std::strerror(error);
    }
}

}  // namespace

std::string describeOpenFailure(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return reasonOf(errno);
    }
    std::string reason;
    if (::isatty(fd) == 0) {
        reason = "not a serial device";
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        reason = errno == EWOULDBLOCK ? reasonOf(EBUSY) : reasonOf(errno);
    } else {
        reason = "the line could not be set up (9600 8N1, raw)";
    }
    ::close(fd);
    return reason;
}

}  // namespace ecuprobe::cli
