#include <CLI/CLI.hpp>

#include <algorithm>
#include <variant>

#include "cli/command.h"
#include "line/exit_codes.h"
#include "reports/report_text.h"
#include "review/figure_table.h"
#include "review/run_figures.h"
#include "review/saved_file.h"

namespace ecuprobe::cli {

namespace {

struct ShowOptions {
    std::vector<std::string> files;
    bool tsv = false;
    int entry = 0;  // a dump's report to print whole, counted from 1; 0 for the list
};

// A run read back, named by its file (and its table, where a file holds more).
struct NamedRun {
    std::string name;
    review::SampleRun run;
};

using Table = std::vector<std::vector<std::string>>;

// Characters, not bytes: the captions are Cyrillic.
std::size_t width(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Columns padded to their widest cell; with numbers, every column after the
// first is aligned right so that the figures line up by their decimal point.
void printTable(std::ostream& out, const Table& table, bool tsv, bool numbers = false) {
    std::vector<std::size_t> widths;
    for (const auto& row : table) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], width(row[c]));
        }
    }
    for (const auto& row : table) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string padding = tsv ? "" : std::string(widths[c] - width(row[c]), ' ');
            const bool right = numbers && c > 0;
            line += c == 0 ? "" : (tsv ? "\t" : "  ");
            line += right ? padding + row[c] : row[c] + (c + 1 < row.size() ? padding : "");
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

Table comparisonTable(const review::Comparison& comparison, const std::vector<NamedRun>& runs) {
    std::vector<std::string> names;
    std::vector<std::string> dates;
    for (const NamedRun& named : runs) {
        names.push_back(named.name);
        dates.push_back(named.run.date);
    }
    review::FigureTable figures = review::figureTable(comparison, names, dates);
    Table table{std::move(figures.header), std::move(figures.dates)};
    table.insert(table.end(), figures.rows.begin(), figures.rows.end());
    return table;
}

int showRuns(RunContext& run, const std::vector<NamedRun>& runs, bool tsv) {
    std::vector<review::SampleRun> samples;
    for (const NamedRun& named : runs) {
        samples.push_back(named.run);
    }
    const review::CompareOutcome outcome = review::compareRuns(samples);
    if (!outcome.comparison) {
        run.err << "ecuprobe-cli: " << runs[outcome.refusedRun].name << ": "
                << review::refusalText(outcome.refusal) << '\n';
        return line::exitUsage;
    }
    if (!tsv) {
        run.out << outcome.comparison->test->title << '\n';
    }
    printTable(run.out, comparisonTable(*outcome.comparison, runs), tsv, true);
    return line::exitOk;
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

int showDump(RunContext& run, const std::string& file,
             const std::vector<review::DumpEntry>& entries, const ShowOptions& options) {
    if (options.entry > 0) {
        if (static_cast<std::size_t>(options.entry) > entries.size()) {
            run.err << "ecuprobe-cli: " << file << ": no report " << options.entry << " (it holds "
                    << entries.size() << ")\n";
            return line::exitUsage;
        }
        run.out << entries[static_cast<std::size_t>(options.entry) - 1].text;
        return line::exitOk;
    }
    Table table{{"№", "Дата", "Отчёт", "Коментарий", "Файл дампа"}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const review::DumpEntry& e = entries[i];
        table.push_back({std::to_string(i + 1), e.date, e.title, oneLine(e.comment), e.sampleFile});
    }
    if (!options.tsv) {
        run.out << file << ": " << entries.size() << " отчётов\n";
    }
    printTable(run.out, table, options.tsv);
    return line::exitOk;
}

void showDriveLog(RunContext& run, const std::string& file, const review::DriveLogTable& log) {
    const double seconds = log.time.empty() ? 0 : log.time.back() - log.time.front();
    run.out << file << ": лог поездки, " << log.time.size() << " строк за "
            << reports::fixed(seconds, 3) << " с\n";
    Table table{{"Столбец", "Ед."}};
    for (std::size_t c = 0; c < log.names.size(); ++c) {
        table.push_back({log.names[c], log.units[c]});
    }
    printTable(run.out, table, false);
}

int runShow(RunContext& run, const ShowOptions& options) {
    std::vector<NamedRun> runs;
    int status = line::exitOk;
    for (const std::string& file : options.files) {
        review::ReadError error;
        const std::optional<review::SavedContent> content = review::readSavedFile(file, error);
        if (!content) {
            run.err << "ecuprobe-cli: " << file
                    << (error.line > 0 ? ":" + std::to_string(error.line) : std::string()) << ": "
                    << review::problemText(error.problem) << '\n';
            return commandExitStatus(run, line::exitUsage, nullptr);
        }
        if (const auto* tables = std::get_if<std::vector<review::SampleRun>>(&*content)) {
            for (std::size_t t = 0; t < tables->size(); ++t) {
                const std::string suffix = t > 0 ? "#" + std::to_string(t + 1) : std::string();
                runs.push_back({file + suffix, (*tables)[t]});
            }
        } else if (const auto* log = std::get_if<review::DriveLogTable>(&*content)) {
            showDriveLog(run, file, *log);
        } else {
            status = std::max(status, showDump(run, file, std::get<2>(*content), options));
        }
    }
    if (!runs.empty()) {
        status = std::max(status, showRuns(run, runs, options.tsv));
    }
    return commandExitStatus(run, status, nullptr);
}

}  // namespace

void addShowCommand(CLI::App& app, CommandChoice& choice) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* command = app.add_subcommand(
        "show", "Read back saved runs side by side, a tester dump's reports or a drive log");
    command
        ->add_option("files", options->files, "Sample files (.dmp, .dma, .dmm), dumps (.tdm), logs")
        ->required();
    command->add_flag("--tsv", options->tsv, "Tab-separated tables for scripts");
    command->add_option("--entry", options->entry, "Print report N of a dump whole")
        ->check(CLI::Range(1, 1000000));
    command->footer(
        "Runs of one test are put side by side with their figures recomputed from the samples\n"
        "as the test computes them, each with its difference to the first (Δ and Δ %); runs of\n"
        "different tests, directions or levels are refused. Files are only read. A file that is\n"
        "none of these, cut short or damaged ends the command with 64 and its line number.\n"
        "Examples:\n"
        "  ecuprobe-cli show 1700000000.dmp 1700003600.dmp\n"
        "  ecuprobe-cli show --tsv *.dma\n"
        "  ecuprobe-cli show ZORAFIL.tdm\n"
        "  ecuprobe-cli show --entry 3 ZORAFIL.tdm");
    command->callback([&choice, options] {
        choice.run = [options](RunContext& run) { return runShow(run, *options); };
        choice.usesLine = false;
    });
}

}  // namespace ecuprobe::cli
