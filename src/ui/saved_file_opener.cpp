#include "ui/saved_file_opener.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <variant>

#include "review/run_figures.h"
#include "review/saved_file.h"
#include "ui/comparison_window.h"
#include "ui/drive_log_window.h"
#include "ui/tester_dump_window.h"

namespace ecuprobe::ui {

namespace {

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct ReadFiles {
    std::vector<ComparedRun> runs;
    std::vector<QString> runPaths;  // a path per run
    std::vector<std::pair<QString, review::SavedContent>> others;
};

bool readAll(const QStringList& paths, ReadFiles& read, OpenedFiles& outcome) {
    for (const QString& path : paths) {
        review::ReadError error;
        std::optional<review::SavedContent> content =
            review::readSavedFile(path.toStdString(), error);
        if (!content) {
            outcome.refusal = QStringLiteral("Файл не открыт: %1\n%2")
                                  .arg(shownPath(path), QString::fromStdString(errorText(error)));
            return false;
        }
        if (auto* tables = std::get_if<std::vector<review::SampleRun>>(&*content)) {
            const review::RunNotes notes = review::notesBeside(path.toStdString());
            for (std::size_t t = 0; t < tables->size(); ++t) {
                const QString suffix = t > 0 ? QStringLiteral("#%1").arg(t + 1) : QString();
                read.runs.push_back(
                    {QFileInfo(path).fileName() + suffix, std::move((*tables)[t]), notes});
                read.runPaths.push_back(path);
            }
        } else {
            read.others.emplace_back(path, std::move(*content));
        }
    }
    return true;
}

QWidget* comparisonOf(ReadFiles& read, OpenedFiles& outcome, QWidget* parent) {
    std::vector<review::SampleRun> samples;
    for (const ComparedRun& run : read.runs) {
        samples.push_back(run.run);
    }
    const review::CompareOutcome compared = review::compareRuns(samples);
    if (!compared.comparison) {
        outcome.refusal = QStringLiteral("Заезды не сравниваются: %1\n%2")
                              .arg(shownPath(read.runPaths[compared.refusedRun]),
                                   fromUtf8(review::refusalText(compared.refusal)));
        return nullptr;
    }
    return new ComparisonWindow(comparisonContent(std::move(read.runs), *compared.comparison),
                                parent);
}

}  // namespace

OpenedFiles openSavedFiles(const QStringList& paths, QWidget* parent) {
    OpenedFiles outcome;
    ReadFiles read;
    if (!readAll(paths, read, outcome)) {
        return outcome;
    }
    if (!read.runs.empty()) {
        QWidget* comparison = comparisonOf(read, outcome, parent);
        if (comparison == nullptr) {
            return outcome;
        }
        outcome.windows.push_back(comparison);
        for (const QString& path : read.runPaths) {
            if (!outcome.opened.contains(path)) {
                outcome.opened.append(path);
            }
        }
    }
    for (auto& [path, content] : read.others) {
        QWidget* window =
            std::holds_alternative<review::DriveLogTable>(content)
                ? static_cast<QWidget*>(new DriveLogWindow(
                      std::get<review::DriveLogTable>(std::move(content)), path, parent))
                : new TesterDumpWindow(std::get<std::vector<review::DumpEntry>>(std::move(content)),
                                       path, parent);
        outcome.windows.push_back(window);
        outcome.opened.append(path);
    }
    return outcome;
}

}  // namespace ecuprobe::ui
