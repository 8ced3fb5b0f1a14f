// The tester at the edges of its own process: standard descriptors closed before
// it starts, an output file that is the port itself, a trace it does not use, and
// a terminal that holds its output back when Ctrl-C comes.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "case_names.h"
#include "child_process.h"
#include "cli_process_support.h"
#include "ecu_sim_process.h"
#include "platform/pty_pair.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

using namespace testing_support;

// Each test runs in a process of its own, beside others: the names carry the process.
std::string freshPath(const std::string& name) {
    const std::string path =
        ::testing::TempDir() + "ecuprobe_edges_" + std::to_string(::getpid()) + "_" + name;
    std::remove(path.c_str());
    return path;
}

// Runs program with args through a shell that applies the redirections to it
// ("1>&-" closes its stdout).
ChildResult runRedirected(const std::string& program, const std::string& redirections,
                          const Args& args, const std::vector<ChildStep>& steps = {}) {
    Args shell{"-c", "exec \"$0\" \"$@\" " + redirections, program};
    shell.insert(shell.end(), args.begin(), args.end());
    return runChild("/bin/sh", shell, steps);
}

// A line as the wire trace writes it: a time stamp, then a direction.
bool isTraceLine(const std::string& line) {
    std::istringstream words(line);
    unsigned long stamp = 0;
    std::string direction;
    return static_cast<bool>(words >> stamp >> direction) &&
           (direction == "TX" || direction == "ECHO" || direction == "RX" || direction == "--");
}

// The bytes of the TX lines of a trace, one after the other.
std::string writtenBytes(const std::string& tracePath) {
    std::string bytes;
    for (const std::string& frame : writtenFrames(tracePath)) {
        bytes += frame + ' ';
    }
    return bytes;
}

// ecu-sim under a link, tracing what reaches it, so that a test sees the line.
class SimulatedLine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(sim.line().rfind("READY ", 0), 0u); }

    const std::string link = freshPath("link");
    const std::string lineTrace = freshPath("line.trace");
    ecuprobe::testing::EcuSimProcess sim{ECU_SIM_PATH, {"--link", link, "--trace", lineTrace}};
};

struct ClosedCase {
    const char* name;
    const char* redirections;
    Args args;  // after --trace FILE; "LINK" stands for the simulator's port
    int status;
};

class ClosedDescriptors : public SimulatedLine, public ::testing::WithParamInterface<ClosedCase> {};

// Opened first, the trace would take the place of the closed descriptor and the
// port the next one: the tester's text would go into the trace or onto the line.
TEST_P(ClosedDescriptors, NothingTheTesterPrintsReachesTheTraceOrTheLine) {
    const std::string trace = freshPath(std::string("closed_") + GetParam().name + ".trace");
    Args args{"--trace", trace};
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "LINK" ? link : arg);
    }
    const ChildResult run = runRedirected(cliPath, GetParam().redirections, args);
    EXPECT_EQ(run.exitStatus, GetParam().status);
    for (const std::string& line : splitLines(fileText(trace))) {
        EXPECT_TRUE(isTraceLine(line)) << "in the trace: " << line;
    }
    EXPECT_EQ(writtenBytes(lineTrace), writtenBytes(trace)) << "the line got more than requests";
}

INSTANTIATE_TEST_SUITE_P(
    Closed, ClosedDescriptors,
    ::testing::Values(
        ClosedCase{"stdout", "1>&-", {"--port", "LINK", "connect"}, 0},
        ClosedCase{"stderr", "2>&-", {"--port", "/nonexistent/ttyK", "connect"}, 1},
        ClosedCase{"all", "0<&- 1>&- 2>&-", {"--port", "LINK", "monitor", "--period", "0"}, 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ClosedDescriptors, TheSimulatorsReadyLineStaysOutOfItsTrace) {
    const std::string link = freshPath("closed_sim_link");
    const std::string trace = freshPath("closed_sim.trace");
    const ChildResult run =
        runRedirected(ECU_SIM_PATH, "1>&-", {"--link", link, "--trace", trace}, {{1500, "quit"}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_FALSE(contains(fileText(trace), "READY")) << fileText(trace);
}

struct PortOutputCase {
    const char* name;
    Args args;  // "LINK": the port's own name; "OTHER": a link of the test's to it
};

class OutputOnThePort : public SimulatedLine, public ::testing::WithParamInterface<PortOutputCase> {
protected:
    const std::string other = freshPath("other");
};

TEST_P(OutputOnThePort, IsRefusedBeforeAnythingIsSent) {
    ASSERT_EQ(::symlink(link.c_str(), other.c_str()), 0);
    Args args{"/usr/bin/env"};
    for (std::string arg : GetParam().args) {
        for (const auto& [word, path] : {std::pair{"LINK", link}, std::pair{"OTHER", other}}) {
            if (const std::size_t at = arg.find(word); at != std::string::npos) {
                arg.replace(at, std::string(word).size(), path);
            }
        }
        args.push_back(arg);
    }
    const ChildResult run = runChild(args[0], {args.begin() + 1, args.end()});
    EXPECT_EQ(run.exitStatus, 64) << run.err;
    // On stdout when stderr is the port.
    EXPECT_TRUE(contains(run.err + run.out, " is the serial port COM1 (" + link + ")")) << run.err;
    EXPECT_EQ(fileText(lineTrace), "") << "sent to the ECU";
    ::unlink(other.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, OutputOnThePort,
    ::testing::Values(
        PortOutputCase{"TraceByItsName", {cliPath, "--port", "LINK", "--trace", "LINK", "connect"}},
        PortOutputCase{"TraceByALink", {cliPath, "--port", "LINK", "--trace", "OTHER", "live"}},
        PortOutputCase{"TraceFromTheEnvironment",
                       {"ECUPROBE_TRACE=OTHER", cliPath, "--port", "LINK", "faults"}},
        PortOutputCase{"LogOut", {cliPath, "--port", "LINK", "log", "--out", "LINK"}},
        PortOutputCase{"ReportDump", {cliPath, "--port", "LINK", "report", "--dump", "OTHER"}},
        PortOutputCase{"TestDump",
                       {cliPath, "--port", "LINK", "test", "dynamic", "--dump", "LINK"}},
        PortOutputCase{
            "Stdout",
            {"/bin/sh", "-c", std::string("exec ") + cliPath + " --port LINK live >OTHER"}},
        PortOutputCase{
            "Stderr",
            {"/bin/sh", "-c", std::string("exec ") + cliPath + " --port LINK connect 2>OTHER"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SimulatedLine, MonitorRefusesADumpFileThatIsThePort) {
    const ChildResult run = runChild(cliPath, {"--port", link, "monitor", "--period", "0"},
                                     {{1500, "report --dump " + link}, {800, "quit"}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "the dump file " + link + " is the serial port COM1")) << run.out;
}

TEST(PortsCommand, ListsWhateverTheTraceItDoesNotUse) {
    for (const Args& args :
         {Args{cliPath, "--trace", "/nonexistent/folder/t.trace", "ports"},
          Args{"ECUPROBE_TRACE=/nonexistent/folder/t.trace", cliPath, "ports"}}) {
        const ChildResult run = runChild("/usr/bin/env", args);
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }
}

// A terminal whose buffer is full and that nobody reads: every write to it blocks.
// The test keeps the side it filled open, so that the terminal stays as it is; it
// fills until no room comes back, as the terminal moves what it holds on its own time.
class HeldUpTerminal {
public:
    HeldUpTerminal() : filler(::open(pty.slavePath.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK)) {
        const std::string fill(4096, 'x');
        for (pollfd room{filler, POLLOUT, 0}; filler >= 0 && ::poll(&room, 1, 300) > 0;) {
            if (::write(filler, fill.data(), fill.size()) < 0 && errno != EAGAIN) {
                break;
            }
        }
    }
    HeldUpTerminal(const HeldUpTerminal&) = delete;
    HeldUpTerminal& operator=(const HeldUpTerminal&) = delete;
    ~HeldUpTerminal() { ::close(filler); }

    platform::testing_support::PtyPair pty;

private:
    int filler;
};

struct HeldUpCase {
    const char* name;
    const char* redirections;  // "TTY": the held-up terminal
    Args args;
    int status;
    const char* told;
};

class HeldUpOutput : public ::testing::TestWithParam<HeldUpCase> {};

TEST_P(HeldUpOutput, CtrlCStopsTheCommandAndSaysSo) {
    HeldUpTerminal terminal;
    ASSERT_TRUE(terminal.pty.ready());
    std::string redirections = GetParam().redirections;
    if (const std::size_t at = redirections.find("TTY"); at != std::string::npos) {
        redirections.replace(at, 3, terminal.pty.slavePath);
    }
    Args args;
    for (const std::string& arg : GetParam().args) {
        args.push_back(arg == "TTY" ? terminal.pty.slavePath : arg);
    }
    const ChildResult run = runRedirected(cliPath, redirections, args, {{1500, "", SIGINT}});
    // A child that ignored Ctrl-C is killed at the deadline.
    EXPECT_EQ(run.exitStatus, GetParam().status) << run.err;
    EXPECT_TRUE(contains(run.err, GetParam().told)) << run.err;
}

// live ends on Ctrl-C with 0 once it reads; a trace held up from its first line
// holds up the connection, which Ctrl-C ends with 130.
INSTANTIATE_TEST_SUITE_P(
    Outputs, HeldUpOutput,
    ::testing::Values(HeldUpCase{"Stdout",
                                 ">TTY",
                                 {"--simulate", "live", "--period", "0"},
                                 0,
                                 "stopped by signal 2 while the output was held up"},
                      HeldUpCase{"Trace",
                                 "",
                                 {"--simulate", "--trace", "TTY", "live", "--period", "0"},
                                 128 + SIGINT,
                                 "stopped by signal 2 while the trace file "}),
    [](const auto& param) { return std::string(param.param.name); });

// With --no-echo every command is served and no echo is read; without it the
// adapter is named for what it is.
TEST(AdapterWithoutEcho, IsServedWithNoEchoAndNamedWithoutIt) {
    const std::string link = freshPath("noecho_link");
    ecuprobe::testing::EcuSimProcess sim{
        ECU_SIM_PATH,
        {"--no-echo", "--scenario", "runup", "--stored-faults", "13:20", "--link", link}};
    ASSERT_EQ(sim.line().rfind("READY ", 0), 0u);
    const struct {
        Args args;
        int status;
        const char* shown;
    } cases[] = {
        {{"--no-echo", "connect"}, 0, "Тип ЭБУ: Микас 5.4"},
        {{"--no-echo", "faults"}, 0, "013:20"},
        {{"--no-echo", "live", "--count", "2", "--tsv"}, 0, "\n"},
        {{"--no-echo", "test", "dynamic"}, 0, "Время разгона(сек.): "},
        {{"connect"}, 2, "адаптер без эха"},
    };
    for (const auto& c : cases) {
        const std::string trace = freshPath("noecho.trace");
        Args args{"--port", link, "--trace", trace};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ChildResult run = runChild(cliPath, args);
        const std::string name = c.args[c.status == 0 ? 1 : 0];
        EXPECT_EQ(run.exitStatus, c.status) << name << ": " << run.err;
        EXPECT_TRUE(contains(run.out + run.err, c.shown)) << name << ": " << run.out << run.err;
        EXPECT_EQ(contains(fileText(trace), "ECHO"), c.status != 0) << name;
    }
}

}  // namespace
}  // namespace ecuprobe::cli
