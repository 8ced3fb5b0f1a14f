#include "sim/pty_server.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

namespace ecuprobe::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;

// 10 bits a byte (start, 8 data, stop) at 9600 bit/s.
constexpr double byteTimeUs = 10.0 * 1'000'000 / 9600;

double nowUs() {
    return std::chrono::duration<double, std::micro>(SteadyClock::now().time_since_epoch()).count();
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
    pty.close();
    removeLink();
}

bool PtyServer::open() {
    if (!createPty()) {
        return false;
    }
    if (!relink()) {
        pty.close();
        return false;
    }
    return true;
}

std::string PtyServer::slavePath() const {
    std::lock_guard lock(pathMutex);
    return path;
}

bool PtyServer::createPty() {
    if (!pty.create()) {
        lastError = pty.error();
        return false;
    }
    {
        std::lock_guard lock(pathMutex);
        path = pty.slavePath();
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
    while (!stopRequested && pty.master() >= 0) {
        if (rest->until(pty.master(), restMs())) {
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
    const ssize_t got = ::read(pty.master(), buffer, sizeof buffer);
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
            const ssize_t n = ::write(pty.master(), bytes + done, count - done);
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
        if (::write(pty.master(), bytes + i, 1) != 1) {
            return;
        }
    }
}

void PtyServer::checkLineSettings() {
    const std::optional<std::string> read = pty.settingsProblem();
    if (!read) {
        return;
    }
    const std::string& problem = *read;
    if (problem != lastSettingsWarning) {
        lastSettingsWarning = problem;
        if (!problem.empty() && notice) {
            notice("warning: the tester's side of the line is " + problem);
        }
    }
}

void PtyServer::reappear() {
    // The device vanishes: the tester's descriptor sees the line hang up.
    pty.close();
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
