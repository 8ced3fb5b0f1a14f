#include "sim/idle_wait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace ecuprobe::sim {

PollWait::PollWait() : wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PollWait::~PollWait() {
    if (wakeFd >= 0) {
        ::close(wakeFd);
    }
}

bool PollWait::until(int fd, int timeoutMs) {
    // Without its eventfd (no descriptor left) a rest is cut short, so wake() is
    // still seen in time.
    constexpr int unwakeableRestMs = 100;
    if (wakeFd < 0 && (timeoutMs < 0 || timeoutMs > unwakeableRestMs)) {
        timeoutMs = unwakeableRestMs;
    }
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    if (::poll(p, 2, timeoutMs) <= 0) {
        return false;
    }
    if ((p[1].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wakeFd, &count, sizeof count);
    }
    return (p[0].revents & POLLIN) != 0;
}

void PollWait::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t put = ::write(wakeFd, &one, sizeof one);
}

}  // namespace ecuprobe::sim
