// Every command of ecuprobe-cli against every fault of the simulator: it ends in
// time, with its documented status and message, hands the controls back when the
// ECU can take them, and claims no file it did not write. Each case leaves a row
// in the results folder, from which `make fault-matrix` builds docs/fault-matrix.md.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "fault_matrix_cases.h"

namespace ecuprobe::cli {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Longer than the slowest cell needs: a connection tried three times on a silent
// line, or a hand-back whose six writes are each repeated.
constexpr int boundMs = 40000;

struct Cell {
    std::size_t command;
    std::size_t fault;
};

void PrintTo(const Cell& cell, std::ostream* out) {
    *out << matrixCommands()[cell.command].name << " x " << matrixFaults()[cell.fault].rule;
}

std::string quoted(const std::string& word) {
    std::string text = "'";
    for (const char c : word) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

// The whole command line, run in the cell's folder: a test writes its sample file there.
std::string commandLine(const MatrixCommand& command, const MatrixFault& fault) {
    std::string line = "exec " + quoted(cliPath) + " --simulate " + command.scenario +
                       " --sim-fault " + quoted(fault.rule) + " --trace t.trace";
    for (const std::string& arg : command.args) {
        line += ' ' + quoted(arg);
    }
    return line;
}

// The expected message when it was said (the rest of its line may be a path, a
// count or a measured time); else the first line said, to show what came instead.
std::string messageOf(const ChildResult& run, const std::string& expected) {
    if (run.err.find(expected) != std::string::npos ||
        run.out.find(expected) != std::string::npos) {
        return expected;
    }
    const std::vector<std::string> said = splitLines(run.err.empty() ? run.out : run.err);
    return said.empty() ? "" : said.front();
}

// Success lines that name a file: never after a failure, and the file is there.
std::vector<std::string> fileClaimProblems(const ChildResult& run, const fs::path& folder) {
    std::vector<std::string> problems;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "t.trace" && entry.is_regular_file() &&
            entry.file_size() == 0) {
            problems.push_back("left an empty file " + entry.path().filename().string());
        }
    }
    for (const char* claim : {"дописано в ", "logged to "}) {
        const std::size_t at = run.out.find(claim);
        if (at == std::string::npos) {
            continue;
        }
        // 4: the file was written, only the hand-back went unconfirmed.
        if (run.exitStatus != 0 && run.exitStatus != 4) {
            problems.push_back("claims a file written and ends with " +
                               std::to_string(run.exitStatus));
        }
        const std::size_t from = at + std::string(claim).size();
        const fs::path named = folder / run.out.substr(from, run.out.find('\n', from) - from);
        if (!fs::exists(named) || fs::file_size(named) == 0) {
            problems.push_back("claims " + named.filename().string() + " but it is empty");
        }
    }
    return problems;
}

bool holdsAWholeFileEndingIn(const fs::path& folder, const std::string& ending) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(ending) && entry.is_regular_file() && entry.file_size() > 0) {
            return true;
        }
    }
    return false;
}

// A command that printed its success output wrote every file that stands behind it.
std::vector<std::string> missingFiles(const MatrixCommand& command, const ChildResult& run,
                                      const fs::path& folder) {
    std::vector<std::string> problems;
    if (run.out.find(command.done.message) == std::string::npos) {
        return problems;
    }
    for (const std::string& ending : command.writes) {
        if (!holdsAWholeFileEndingIn(folder, ending)) {
            problems.push_back("said it was done but wrote no " + ending);
        }
    }
    return problems;
}

struct CellResult {
    ChildResult run;
    double seconds = 0;
    std::string message;
    std::string handBack;  // "yes" when the last six frames hand every control back
    std::vector<std::string> problems;
};

void checkHandBack(const MatrixCommand& command, const MatrixFault& fault,
                   const std::vector<std::string>& frames, CellResult& result) {
    const bool handedBack = lastSixWrites(frames) == releaseFrames;
    result.handBack = handedBack ? "yes" : "-";
    if (command.takesControls && fault.ecuTakesControlsBack && !handedBack) {
        result.problems.push_back("the last frames are not the hand-back of every control");
    }
}

// Stopped as its connection ends (with the fault list request), a command may
// read on, but the only writes after that are the hand-back's (a register written
// again when the ECU was slow to acknowledge it, on a loaded machine, included).
void checkNoWriteAfterTheStop(const MatrixFault& fault, const std::vector<std::string>& frames,
                              CellResult& result) {
    const auto stop = std::find(frames.begin(), frames.end(), "02 FE 0D");
    if (!fault.stopsTheTester || stop == frames.end()) {
        return;
    }
    const auto kept = [](const std::string& frame) {
        return frame.starts_with("62 ") &&
               std::find(releaseFrames.begin(), releaseFrames.end(), frame) == releaseFrames.end();
    };
    if (std::any_of(stop, frames.end(), kept)) {
        result.problems.push_back("wrote to the ECU after the stop");
    }
}

CellResult runCell(const MatrixCommand& command, const MatrixFault& fault, const fs::path& folder) {
    const MatrixOutcome expected = expectedOutcome(command, fault);
    CellResult result;
    const auto start = std::chrono::steady_clock::now();
    result.run = runChild(
        "/bin/bash", {"-c", "cd " + quoted(folder.string()) + " && " + commandLine(command, fault)},
        command.steps, boundMs);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.message = messageOf(result.run, expected.message);
    if (result.seconds * 1000 >= boundMs) {
        result.problems.push_back("still running after " + std::to_string(boundMs / 1000) + " s");
    }
    if (result.run.exitStatus != expected.status) {
        result.problems.push_back("status " + std::to_string(result.run.exitStatus) +
                                  ", expected " + std::to_string(expected.status));
    }
    if (result.message != expected.message) {
        result.problems.push_back(std::string("no \"") + expected.message + "\"");
    }
    const std::vector<std::string> frames = writtenFrames((folder / "t.trace").string());
    checkHandBack(command, fault, frames, result);
    checkNoWriteAfterTheStop(fault, frames, result);
    for (std::vector<std::string> found :
         {fileClaimProblems(result.run, folder), missingFiles(command, result.run, folder)}) {
        result.problems.insert(result.problems.end(), found.begin(), found.end());
    }
    return result;
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        c = c == '\t' || c == '\n' ? ' ' : c;
    }
    return text;
}

std::string verdictOf(const CellResult& result) {
    std::string verdict;
    for (const std::string& problem : result.problems) {
        verdict += (verdict.empty() ? "" : "; ") + problem;
    }
    return verdict.empty() ? "ok" : oneLine(verdict);
}

void writeRow(const Cell& cell, const CellResult& result) {
    const MatrixCommand& command = matrixCommands()[cell.command];
    const MatrixFault& fault = matrixFaults()[cell.fault];
    fs::create_directories(FAULT_MATRIX_RESULTS);
    std::ofstream row(fs::path(FAULT_MATRIX_RESULTS) /
                      (std::string(command.name) + "." + fault.name + ".tsv"));
    std::string args = command.scenario;
    for (const std::string& arg : command.args) {
        args += ' ' + arg;
    }
    row << cell.command << '\t' << command.name << '\t' << args << '\t' << cell.fault << '\t'
        << fault.name << '\t' << fault.rule << '\t' << result.run.exitStatus << '\t'
        << result.seconds << '\t' << oneLine(result.message) << '\t' << result.handBack << '\t'
        << verdictOf(result) << '\n';
}

class FaultMatrix : public testing::TestWithParam<Cell> {};

TEST_P(FaultMatrix, EndsInTimeWithItsStatusAndMessageHandsBackAndClaimsNoFileUnwritten) {
    const MatrixCommand& command = matrixCommands()[GetParam().command];
    const MatrixFault& fault = matrixFaults()[GetParam().fault];
    const fs::path folder = fs::temp_directory_path() /
                            ("ecuprobe_matrix_" + std::to_string(::getpid()) + "_" + command.name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    const CellResult result = runCell(command, fault, folder);
    writeRow(GetParam(), result);
    EXPECT_TRUE(result.problems.empty()) << verdictOf(result) << "\nstdout:\n"
                                         << result.run.out.substr(0, 2000) << "\nstderr:\n"
                                         << result.run.err.substr(0, 2000);
    fs::remove_all(folder);
}

std::vector<Cell> everyCell() {
    std::vector<Cell> cells;
    for (std::size_t c = 0; c < matrixCommands().size(); ++c) {
        for (std::size_t f = 0; f < matrixFaults().size(); ++f) {
            cells.push_back({c, f});
        }
    }
    return cells;
}

std::string cellName(const testing::TestParamInfo<Cell>& info) {
    std::string name = std::string(matrixCommands()[info.param.command].name) + "_" +
                       matrixFaults()[info.param.fault].name;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryCommandAndFault, FaultMatrix, testing::ValuesIn(everyCell()),
                         cellName);

}  // namespace
}  // namespace ecuprobe::cli
