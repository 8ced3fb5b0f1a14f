#include "child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace ecuprobe::cli::testing_support {

namespace {

[[noreturn]] void execChild(const std::string& program, const std::vector<std::string>& args,
                            int in, int out, int err) {
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// Pauses in slices so that the steps end as soon as the child's output has.
bool pauseUnlessDone(int ms, const std::atomic<bool>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !done;
}

void serveSteps(pid_t child, int in, const std::vector<ChildStep>& steps,
                const std::atomic<bool>& done) {
    for (const ChildStep& step : steps) {
        if (!pauseUnlessDone(step.afterMs, done)) {
            break;
        }
        if (!step.line.empty()) {
            const std::string text = step.line + "\n";
            [[maybe_unused]] const ssize_t written = ::write(in, text.data(), text.size());
        }
        if (step.signal != 0) {
            ::kill(child, step.signal);
        }
    }
    ::close(in);
}

// Reads both pipes until both end or the deadline passes.
bool collect(int out, int err, ChildResult& result, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) < 0) {
            return false;
        }
        for (int n = 0; n < 2; ++n) {
            if (fds[n].fd < 0 || fds[n].revents == 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t got = ::read(fds[n].fd, chunk, sizeof chunk);
            if (got <= 0) {
                fds[n].fd = -1;
                --open;
            } else {
                sinks[n]->append(chunk, static_cast<std::size_t>(got));
            }
        }
    }
    return true;
}

}  // namespace

ChildResult runChild(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<ChildStep>& steps, int timeoutMs) {
    // A child that ends early closes its stdin; the steps left must not kill the test.
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    ChildResult result;
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) {
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(in[1]);
        ::close(out[0]);
        ::close(err[0]);
        execChild(program, args, in[0], out[1], err[1]);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    std::atomic<bool> done{false};
    std::thread feeder(serveSteps, child, in[1], std::cref(steps), std::cref(done));
    if (!collect(out[0], err[0], result, timeoutMs)) {
        ::kill(child, SIGKILL);
    }
    done = true;
    feeder.join();
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace ecuprobe::cli::testing_support
