// ecu-sim as its own process, reached over its pseudo-terminal through the
// tester's real link (POSIX device, echo check, framing). These tests wait for
// real, briefly.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/posix_serial_device.h"
#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"

extern char** environ;

namespace ecuprobe::sim {
namespace {

// ecu-sim with its stdin and stdout on pipes.
class EcuSimProcess {
public:
    explicit EcuSimProcess(std::vector<std::string> args) {
        int in[2];
        int out[2];
        EXPECT_EQ(::pipe(in), 0);
        EXPECT_EQ(::pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), ECU_SIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid, ECU_SIM_PATH, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        toStdin = in[1];
        fromStdout = out[0];
    }

    ~EcuSimProcess() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        ::close(toStdin);
        ::close(fromStdout);
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

    int exitCode() {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid = -1;
    int toStdin = -1;
    int fromStdout = -1;
};

// The tester's side of the link on a device path, as COM1.
struct TesterLink {
    platform::RealClock clock;
    platform::PosixSerialDevice device;
    platform::PortMap ports;
    link::FrameExchange link;

    explicit TesterLink(const std::string& path) {
        ports.setPath(0, path);
        link.attach(device, clock, ports);
    }

    // Sends a one-byte request; the answer's first byte, or -1 without one.
    int ask(std::uint8_t command) {
        link.request[0] = command;
        link.sendRequest(1);
        link.setResponseTimeout(200);
        link.receiveResponse();
        return link.timedOut != 0 ? -1 : link.response[0];
    }
};

TEST(EcuSimProcess, AnswersTheTesterOverItsPtyAcrossAReconnect) {
    EcuSimProcess sim({"--type", "10", "--pacing"});
    const std::string ready = sim.line();
    ASSERT_EQ(ready.rfind("READY /dev/", 0), 0u) << ready;
    TesterLink tester(ready.substr(6));
    ASSERT_EQ(tester.link.open(2), 0);
    // A pty has no modem lines: the open counts that, and nothing may follow.
    const auto errorsAfterOpen = tester.link.errorCount;
    EXPECT_EQ(tester.ask(0x01), 10);
    EXPECT_EQ(tester.link.errorCount, errorsAfterOpen) << "the paced echo came back whole";
    tester.link.close();
    ASSERT_EQ(tester.link.open(2), 0);
    EXPECT_EQ(tester.ask(0x01), 10);
    sim.say("silent on");
    EXPECT_EQ(sim.line(), "ok");
    EXPECT_EQ(tester.ask(0x01), -1);
    sim.say("quit");
    EXPECT_EQ(sim.line(), "bye");
    EXPECT_EQ(sim.exitCode(), 0);
    tester.link.close();
}

TEST(PtyServer, VanishesAndComesBackUnderTheSameLink) {
    platform::RealClock clock;
    SimulatedEcu ecu(clock);
    ecu.addFault({FaultKind::vanish, {FaultTrigger::Mode::once, 1, 1, 0x63}, 300});
    const std::string linkPath =
        ::testing::TempDir() + "ecuprobe-sim-" + std::to_string(::getpid());
    PtyServer server(ecu, {false, linkPath});
    ASSERT_TRUE(server.open()) << server.error();
    server.start();
    TesterLink tester(linkPath);
    ASSERT_EQ(tester.link.open(2), 0);
    EXPECT_EQ(tester.ask(0x01), 9);
    EXPECT_EQ(tester.ask(0x63), -1);
    tester.link.close();
    for (int i = 0; i < 100 && ecu.vanishCount() == 1 && !ecu.present(); ++i) {
        clock.sleepMs(10);
    }
    clock.sleepMs(50);
    ASSERT_EQ(tester.link.open(2), 0);
    EXPECT_EQ(tester.ask(0x01), 9);
    tester.link.close();
    server.stop();
}

}  // namespace
}  // namespace ecuprobe::sim
