#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ecuprobe::platform {

namespace {

bool makeRaw9600(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, B9600) == 0 && cfsetospeed(&tio, B9600) == 0 &&
           tcsetattr(fd, TCSANOW, &tio) == 0;
}

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    close();
}

bool PseudoTerminal::create() {
    close();
    masterFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (masterFd < 0 || ::grantpt(masterFd) != 0 || ::unlockpt(masterFd) != 0 ||
        ::ptsname_r(masterFd, name, sizeof name) != 0) {
        lastError = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slaveFd < 0 || !makeRaw9600(slaveFd)) {
        lastError = std::string("cannot set up ") + name + ": " + std::strerror(errno);
        close();
        return false;
    }
    ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
    path = name;
    return true;
}

void PseudoTerminal::close() {
    if (slaveFd >= 0) {
        ::close(slaveFd);
        slaveFd = -1;
    }
    if (masterFd >= 0) {
        ::close(masterFd);
        masterFd = -1;
    }
}

std::optional<std::string> PseudoTerminal::settingsProblem() const {
    termios tio{};
    if (tcgetattr(slaveFd, &tio) != 0) {
        return std::nullopt;
    }
    std::string problem;
    auto add = [&problem](const char* what) {
        problem += problem.empty() ? "" : ", ";
        problem += what;
    };
    if (cfgetospeed(&tio) != B9600 || cfgetispeed(&tio) != B9600) {
        add("speed is not 9600");
    }
    if ((tio.c_cflag & CSIZE) != CS8 || (tio.c_cflag & (PARENB | CSTOPB)) != 0) {
        add("not 8N1");
    }
    if ((tio.c_iflag & (ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP)) != 0 ||
        (tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) != 0 || (tio.c_oflag & OPOST) != 0) {
        add("not raw");
    }
    return problem;
}

}  // namespace ecuprobe::platform
