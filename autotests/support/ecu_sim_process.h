#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern char** environ;

namespace ecuprobe::testing {

// ecu-sim as its own process, its stdin, stdout and stderr on pipes.
class EcuSimProcess {
public:
    EcuSimProcess(const std::string& program, std::vector<std::string> args) {
        int in[2];
        int out[2];
        int err[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        toStdin = in[1];
        fromStdout = out[0];
        fromStderr = err[0];
    }

    EcuSimProcess(const EcuSimProcess&) = delete;
    EcuSimProcess& operator=(const EcuSimProcess&) = delete;

    ~EcuSimProcess() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        ::close(toStdin);
        ::close(fromStdout);
        ::close(fromStderr);
    }

    // The next line of stdout, or "" after two seconds.
    std::string line() {
        std::string text;
        char c = 0;
        pollfd p{fromStdout, POLLIN, 0};
        while (::poll(&p, 1, 2000) > 0 && ::read(fromStdout, &c, 1) == 1 && c != '\n') {
            text += c;
        }
        return text;
    }

    void say(const std::string& command) {
        const std::string text = command + "\n";
        EXPECT_EQ(::write(toStdin, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Waits for the end of the process; its exit code, -1 when a signal ended it.
    int exitCode() {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Everything it wrote on stderr; call after exitCode().
    std::string errors() {
        std::string text;
        char chunk[4096];
        for (ssize_t got = 0; (got = ::read(fromStderr, chunk, sizeof chunk)) > 0;) {
            text.append(chunk, static_cast<std::size_t>(got));
        }
        return text;
    }

private:
    pid_t pid = -1;
    int toStdin = -1;
    int fromStdout = -1;
    int fromStderr = -1;
};

}  // namespace ecuprobe::testing
