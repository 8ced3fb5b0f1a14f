#include "sim/pty_server.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

namespace ecuprobe::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;

// 10 bits a byte (start, 8 data, stop) at 9600 bit/s.
constexpr double byteTimeUs = 10.0 * 1'000'000 / 9600;

double nowUs() {
    return std::chrono::duration<double, std::micro>(SteadyClock::now().time_since_epoch()).count();
}

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

// What is wrong with the line settings for the protocol, or "" when nothing.
std::string settingsProblem(const termios& tio) {
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

// A link such as a server makes, to a pseudo-terminal: left by one that was killed,
// it may lead to a number that another terminal has taken since. Nothing is lost
// when it is made again; a file or a link to anything else is somebody's.
bool linksToPseudoTerminal(const std::string& path) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(path, error).string();
    return !error && target.starts_with("/dev/pts/");
}

}  // namespace

PtyServer::PtyServer(ServedLine& simulated, Options chosen, Notice told,
                     std::unique_ptr<IdleWait> chosenRest)
    : ecu(simulated),
      options(std::move(chosen)),
      notice(std::move(told)),
      rest(chosenRest ? std::move(chosenRest) : std::make_unique<PollWait>()) {}

PtyServer::~PtyServer() {
    stop();
    closePty();
    removeLink();
}

bool PtyServer::open() {
    if (!createPty()) {
        return false;
    }
    if (!relink()) {
        closePty();
        return false;
    }
    return true;
}

std::string PtyServer::slavePath() const {
    std::lock_guard lock(pathMutex);
    return path;
}

bool PtyServer::createPty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        lastError = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        closePty();
        return false;
    }
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave < 0 || !makeRaw9600(slave)) {
        lastError = std::string("cannot set up ") + name + ": " + std::strerror(errno);
        closePty();
        return false;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    {
        std::lock_guard lock(pathMutex);
        path = name;
    }
    lastSettingsWarning.clear();
    return true;
}

// The link this server made, which still leads where it was made to lead.
bool PtyServer::ownsLink() const {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(options.linkPath, error);
    return !error && !linkedTo.empty() && target == linkedTo;
}

bool PtyServer::relink() {
    if (options.linkPath.empty()) {
        return true;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const bool isLink = fs::is_symlink(fs::symlink_status(options.linkPath, error));
    const bool dangling = isLink && !fs::exists(fs::status(options.linkPath, error));
    if (dangling || linksToPseudoTerminal(options.linkPath)) {
        ::unlink(options.linkPath.c_str());
    }
    // symlink() never replaces what is there: a file or a device stays untouched.
    if (::symlink(slavePath().c_str(), options.linkPath.c_str()) != 0) {
        const int why = errno;
        lastError =
            "cannot link " + options.linkPath + ": " + std::strerror(why) +
            (why == EEXIST ? " (not a link to a pseudo-terminal: it is left as it is)" : "");
        return false;
    }
    linkedTo = slavePath();
    return true;
}

void PtyServer::removeLink() {
    if (ownsLink()) {
        ::unlink(options.linkPath.c_str());
    }
}

void PtyServer::closePty() {
    if (slave >= 0) {
        ::close(slave);
        slave = -1;
    }
    if (master >= 0) {
        ::close(master);
        master = -1;
    }
}

void PtyServer::start() {
    stopRequested = false;
    worker = std::thread([this] { serve(); });
}

void PtyServer::stop() {
    stopRequested = true;
    rest->wake();
    if (worker.joinable()) {
        worker.join();
    }
}

void PtyServer::serve() {
    vanishesSeen = ecu.vanishCount();
    while (!stopRequested && master >= 0) {
        if (rest->until(master, restMs())) {
            serveChunk();
        }
        sendDue();
        if (ecu.vanishCount() != vanishesSeen) {
            vanishesSeen = ecu.vanishCount();
            reappear();
        }
    }
}

// Until the line's next event; without limit when nothing is due.
int PtyServer::restMs() const {
    const std::optional<std::uint32_t> due = ecu.msUntilDue();
    if (!due) {
        return -1;
    }
    return static_cast<int>(std::min<std::uint32_t>(*due, std::numeric_limits<int>::max()));
}

void PtyServer::serveChunk() {
    std::uint8_t buffer[256];
    const ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got <= 0) {
        return;
    }
    checkLineSettings();
    ecu.fromTester({buffer, static_cast<std::size_t>(got)});
}

void PtyServer::sendDue() {
    std::uint8_t due[512];
    if (const std::size_t count = ecu.toTester(due, sizeof due); count != 0) {
        writePaced(due, count);
    }
}

void PtyServer::writePaced(const std::uint8_t* bytes, std::size_t count) {
    if (!options.pacing) {
        for (std::size_t done = 0; done < count;) {
            const ssize_t n = ::write(master, bytes + done, count - done);
            if (n <= 0) {
                return;
            }
            done += static_cast<std::size_t>(n);
        }
        return;
    }
    // Absolute deadlines, so that the time spent writing does not add up.
    nextByteUs = std::max(nextByteUs, nowUs());
    for (std::size_t i = 0; i < count; ++i) {
        nextByteUs += byteTimeUs;
        const auto deadline =
            SteadyClock::time_point(std::chrono::duration_cast<SteadyClock::duration>(
                std::chrono::duration<double, std::micro>(nextByteUs)));
        std::this_thread::sleep_until(deadline);
        if (::write(master, bytes + i, 1) != 1) {
            return;
        }
    }
}

void PtyServer::checkLineSettings() {
    termios tio{};
    if (tcgetattr(slave, &tio) != 0) {
        return;
    }
    const std::string problem = settingsProblem(tio);
    if (problem != lastSettingsWarning) {
        lastSettingsWarning = problem;
        if (!problem.empty() && notice) {
            notice("warning: the tester's side of the line is " + problem);
        }
    }
}

void PtyServer::reappear() {
    // The device vanishes: the tester's descriptor sees the line hang up.
    closePty();
    removeLink();
    if (notice) {
        notice("gone");
    }
    while (!stopRequested && !ecu.present()) {
        rest->until(-1, restMs());
    }
    if (stopRequested || !createPty()) {
        return;
    }
    const bool linked = relink();
    if (notice) {
        if (!linked) {
            notice(lastError);
        }
        notice("back " + slavePath());
    }
}

}  // namespace ecuprobe::sim
