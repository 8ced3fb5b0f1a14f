// How much memory reading a saved file back takes (`show`, the window's "Открыть"),
// against the file's size: files of each kind as large as the readers take
// (review::maxFileBytes), shaped to cost the most per byte: the shortest lines,
// the most lines, every cell empty. Target: a few times the file's size (the
// bytes once, what was read from them, and room to read); a drive log holds
// every cell as a double, 8 bytes for a cell that may take one byte in the file,
// so its bound is that. Each file is read in a child process of its own, whose
// peak resident memory above what it held before the read is counted.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "measure/run_sampler.h"
#include "platform/code_pages.h"
#include "reports/measured_report.h"
#include "review/saved_file.h"

namespace {

using namespace ecuprobe;

constexpr double targetTimes = 4;
constexpr double driveLogTimes = 9;
constexpr std::size_t fileBytes = review::maxFileBytes - 4096;

long residentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// Repeats `unit` after `head` until the file is nearly maxFileBytes long.
void writeFile(const std::filesystem::path& path, const std::string& head, const std::string& unit,
               const std::string& tail = {}) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (std::size_t size = head.size(); size + unit.size() + tail.size() <= fileBytes;
         size += unit.size()) {
        out << unit;
    }
    out << tail;
}

std::string stateReport() {
    return platform::utf8ToCp1251(
        "\r\n\r\n\r\n \t ******************************************* \r\n"
        " \t *** Состояние внутренних переменых ЭБУ. *** \r\n"
        " \t ******************************************* \r\n\t\tДата:Tue Feb  6 09:05:00 "
        "2024\r\n");
}

// The head of a dynamic test's table and as many of the shortest rows as a run records.
std::string sampleTable() {
    std::string table = platform::utf8ToCp1251(
        "\r\n\r\n \t ***** \r\n \t *** Результаты динамического теста для обработки в Exel. "
        "*** \r\n \t ***** \r\n\t\tДата:Mon Jan  1 10:00:00 2024\r\n");
    table += platform::utf8ToCp1251(reports::detailColumns);
    for (std::size_t row = 0; row + 3 < measure::TestSampler::bufferSize; ++row) {
        table += "0\t0\t0\t0\t0\t0\t0\r\n";
    }
    return table;
}

// Peak resident memory of a child that reads the file, above its own start.
double readCostMib(const std::filesystem::path& path) {
    int report[2];
    if (::pipe(report) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const long before = residentKib();
        review::ReadError error;
        const bool read = review::readSavedFile(path.string(), error).has_value();
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long cost = read ? usage.ru_maxrss - before : -1;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &cost, sizeof cost);
        ::_exit(0);
    }
    long cost = -1;
    [[maybe_unused]] const ssize_t got = ::read(report[0], &cost, sizeof cost);
    ::waitpid(child, nullptr, 0);
    ::close(report[0]);
    ::close(report[1]);
    return static_cast<double>(cost) / 1024;
}

}  // namespace

int main() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("ecuprobe_memory_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string equipment = platform::utf8ToCp1251("\r\n\r\nКомплектация: ");
    const struct {
        const char* name;
        std::function<void(const std::filesystem::path&)> write;
        double target = targetTimes;
    } files[] = {
        {"dump, empty lines",
         [&](const auto& p) { writeFile(p, stateReport(), "\r\n", equipment); }},
        {"dump, one-letter lines",
         [&](const auto& p) { writeFile(p, stateReport(), "\r\nx", equipment); }},
        {"dump, reports of one line",
         [&](const auto& p) { writeFile(p, "", stateReport() + equipment); }},
        {"sample file, shortest rows", [](const auto& p) { writeFile(p, "", sampleTable()); }},
        {"drive log, empty cells",
         [](const auto& p) {
             writeFile(p, "Time\tA\tB\tC\tD\tE\tF\tG\ns\t\t\t\t\t\t\t\n", "0\t\t\t\t\t\t\t\n");
         },
         driveLogTimes},
    };
    int failed = 0;
    std::printf("%-28s %10s %12s %8s %7s\n", "file", "size, MiB", "read, MiB", "times", "target");
    for (const auto& file : files) {
        const std::filesystem::path path = folder / "file";
        file.write(path);
        const double size = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
        const double cost = readCostMib(path);
        const double times = cost / size;
        const bool over = cost < 0 || times > file.target;
        std::printf("%-28s %10.1f %12.1f %8.2f %7.0f%s\n", file.name, size, cost, times,
                    file.target,
                    cost < 0 ? "  (refused)"
                    : over   ? "  over the target"
                             : "");
        failed += over ? 1 : 0;
    }
    std::filesystem::remove_all(folder);
    return failed == 0 ? 0 : 1;
}
