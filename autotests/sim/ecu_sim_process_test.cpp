// ecu-sim as its own process, reached over its pseudo-terminal through the
// tester's real link (POSIX device, echo check, framing). These tests wait for
// real, briefly.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "case_names.h"
#include "ecu/adapter_watch.h"
#include "ecu/ecu_session.h"
#include "ecu_sim_process.h"
#include "link/frame_exchange.h"
#include "platform/clock.h"
#include "platform/port_map.h"
#include "platform/posix_serial_device.h"
#include "platform/pty_pair.h"
#include "process_link.h"
#include "sim/pty_server.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::sim {
namespace {

using ecuprobe::case_names::PrintTo;

// ecu-sim built alongside.
class EcuSimProcess : public ecuprobe::testing::EcuSimProcess {
public:
    explicit EcuSimProcess(std::vector<std::string> args)
        : ecuprobe::testing::EcuSimProcess(ECU_SIM_PATH, std::move(args)) {}
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
        const std::uint8_t request[] = {command};
        link.sendRequest(request);
        link.setResponseTimeout(200);
        link.receiveResponse();
        return link.timedOut() ? -1 : link.response()[0];
    }
};

TEST(EcuSimProcess, AnswersTheTesterOverItsPtyAcrossAReconnect) {
    EcuSimProcess sim({"--type", "10", "--pacing"});
    const std::string ready = sim.line();
    ASSERT_EQ(ready.rfind("READY /dev/", 0), 0u) << ready;
    TesterLink tester(ready.substr(6));
    ASSERT_EQ(tester.link.open(2), link::OpenResult::opened);
    // A pty has no modem lines: the open counts that, and nothing may follow.
    const auto errorsAfterOpen = tester.link.errorCount();
    EXPECT_EQ(tester.ask(0x01), 10);
    EXPECT_EQ(tester.link.errorCount(), errorsAfterOpen) << "the paced echo came back whole";
    tester.link.close();
    ASSERT_EQ(tester.link.open(2), link::OpenResult::opened);
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
    ASSERT_EQ(tester.link.open(2), link::OpenResult::opened);
    EXPECT_EQ(tester.ask(0x01), 9);
    EXPECT_EQ(tester.ask(0x63), -1);
    tester.link.close();
    for (int i = 0; i < 100 && ecu.vanishCount() == 1 && !ecu.present(); ++i) {
        clock.sleepMs(10);
    }
    clock.sleepMs(50);
    ASSERT_EQ(tester.link.open(2), link::OpenResult::opened);
    EXPECT_EQ(tester.ask(0x01), 9);
    tester.link.close();
    server.stop();
}

struct LinkPlaceCase {
    const char* name;
    // Puts what is at the path before ecu-sim starts; the target of a link it makes.
    std::string (*prepare)(const std::string& path);
    bool linked;
};

std::string regularFile(const std::string& path) {
    std::ofstream(path) << "kept";
    return {};
}

std::string linkToAFile(const std::string& path) {
    regularFile(path + ".target");
    std::filesystem::create_symlink(path + ".target", path);
    return path + ".target";
}

std::string danglingLink(const std::string& path) {
    std::filesystem::create_symlink("/nonexistent/pts/9", path);
    return {};
}

// A link left by a simulator that was killed, to a number another terminal took since.
std::string linkToATerminal(const std::string& path) {
    static const platform::testing_support::PtyPair terminal;
    std::filesystem::create_symlink(terminal.slavePath, path);
    return {};
}

std::string nothing(const std::string&) {
    return {};
}

class LinkPlace : public ::testing::TestWithParam<LinkPlaceCase> {};

// A regular file, or a link to anything but a pseudo-terminal, is somebody's:
// never replaced.
TEST_P(LinkPlace, MakesTheLinkOnlyWhereNothingOfSomebodysIs) {
    const std::string path = ::testing::TempDir() + "ecuprobe-link-" + std::to_string(::getpid()) +
                             "-" + GetParam().name;
    std::filesystem::remove(path);
    const std::string target = GetParam().prepare(path);
    EcuSimProcess sim({"--link", path});
    const std::string ready = sim.line();
    if (GetParam().linked) {
        ASSERT_EQ(ready.rfind("READY /dev/", 0), 0u) << ready;
        EXPECT_EQ(std::filesystem::read_symlink(path).string(), ready.substr(6));
        sim.say("quit");
        EXPECT_EQ(sim.exitCode(), 0);
        EXPECT_FALSE(std::filesystem::is_symlink(path)) << "its own link goes with it";
        return;
    }
    ASSERT_EQ(ready, "");
    EXPECT_EQ(sim.exitCode(), 1);
    EXPECT_NE(sim.errors().find("cannot link " + path), std::string::npos);
    std::ifstream kept(target.empty() ? path : target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
    EXPECT_EQ(std::filesystem::is_symlink(path), !target.empty());
    std::filesystem::remove(path);
    std::filesystem::remove(path + ".target");
}

INSTANTIATE_TEST_SUITE_P(Places, LinkPlace,
                         ::testing::Values(LinkPlaceCase{"file", regularFile, false},
                                           LinkPlaceCase{"link", linkToAFile, false},
                                           LinkPlaceCase{"dangling", danglingLink, true},
                                           LinkPlaceCase{"terminal", linkToATerminal, true},
                                           LinkPlaceCase{"nothing", nothing, true}),
                         [](const auto& param) { return std::string(param.param.name); });

struct RefusedStartCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* told;
};

class RefusedStart : public ::testing::TestWithParam<RefusedStartCase> {};

// Ends by itself, without READY, saying why: bad options as the tester does, and
// input to replay that is endless and no trace, read in bounded memory.
TEST_P(RefusedStart, EndsWithoutServingAndSaysWhy) {
    EcuSimProcess sim(GetParam().args);
    ASSERT_EQ(sim.line(), "");
    EXPECT_EQ(sim.exitCode(), GetParam().status);
    const std::string errors = sim.errors();
    EXPECT_NE(errors.find(GetParam().told), std::string::npos) << errors;
}

INSTANTIATE_TEST_SUITE_P(
    Starts, RefusedStart,
    ::testing::Values(
        RefusedStartCase{"NegativeSeed", {"--seed", "-1"}, 64, "expected a whole number"},
        RefusedStartCase{"NegativeDelay", {"--delay", "-5"}, 64, "expected a whole number"},
        RefusedStartCase{"Scenario", {"--scenario", "flying"}, 64, "got 'flying'"},
        RefusedStartCase{"FaultRule", {"--fault", "nonsense"}, 64, "expected a fault rule"},
        RefusedStartCase{"UnknownOption", {"--bogus"}, 64, "--bogus"},
        RefusedStartCase{"EndlessZeros", {"--replay", "/dev/zero"}, 2, "has no end within"},
        RefusedStartCase{"EndlessNoise", {"--replay", "/dev/urandom"}, 2, "bad lines"}),
    [](const auto& param) { return std::string(param.param.name); });

std::size_t openDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(fds, std::filesystem::directory_iterator()));
}

// Polls as the console does until the simulated adapter has gone and is open again.
void pollUntilBack(ecu::EcuSession& session, ecu::AdapterWatch& watch, platform::Clock& clock) {
    bool sawGone = false;
    for (int tick = 0; tick < 400; ++tick) {
        switch (watch.beforeTick()) {
            case ecu::AdapterWatch::Check::poll:
                session.checkLink();
                break;
            case ecu::AdapterWatch::Check::gone:
                sawGone = true;
                clock.sleepMs(5);
                break;
            case ecu::AdapterWatch::Check::back:
                EXPECT_TRUE(sawGone);
                return;
        }
    }
    ADD_FAILURE() << "the adapter did not come back";
}

TEST(AdapterWatchOverPty, FiftyPullsAndReplugsLeaveNoDescriptorBehind) {
    platform::RealClock clock;
    SimulatedEcu ecu(clock);
    const std::string linkPath =
        ::testing::TempDir() + "ecuprobe-replug-" + std::to_string(::getpid());
    PtyServer server(ecu, {false, linkPath});
    ASSERT_TRUE(server.open()) << server.error();
    server.start();
    platform::PortMap ports;
    ports.setPath(0, linkPath);
    platform::PosixSerialDevice device;
    ecuprobe::testing::attachProcessLink(device, clock, ports);
    {
        ecu::EcuSession session;
        ASSERT_EQ(session.connect(), ecu::ServiceResult::done);
        ecu::AdapterWatch watch(session);
        const std::size_t descriptors = openDescriptors();
        for (int cycle = 0; cycle < 50; ++cycle) {
            ecu.clearFaultRules();
            ecu.addFault({FaultKind::vanish, {FaultTrigger::Mode::once, 1, 1, 0x63}, 20});
            pollUntilBack(session, watch, clock);
            session.identifyEcuType();
            ASSERT_EQ(session.connected(), 1) << "cycle " << cycle;
        }
        EXPECT_EQ(openDescriptors(), descriptors);
        session.disconnect();
    }
    ecuprobe::testing::detachProcessLink();
    server.stop();
}

}  // namespace
}  // namespace ecuprobe::sim
