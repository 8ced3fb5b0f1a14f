#include "reports/measured_report.h"

#include <cerrno>
#include <filesystem>

#include "platform/code_pages.h"
#include "platform/new_file.h"
#include "platform/utf8_path.h"
#include "reports/comment_dialog.h"
#include "reports/line_format.h"
#include "reports/report_text.h"

namespace ecuprobe::reports {

std::string currentDumpPath;
std::string lastReportProblem;

namespace {

constexpr std::string_view errorCaption = "Ошибка исполнения";

// Runs saved within one second each take the next number: far more than a
// person can save, few enough to give up soon on a folder that is full of them.
constexpr std::int64_t maxSampleNameTries = 1000;

const SaveAsRequest dumpFileQuestion{
    "tdm", "ZORAFIL", "Файлы дампов тестера ISO14230 (*.tdm)|*.tdm|Все файлы (*.*)|*.*||"};

std::string detailLine(const measure::TestSample& s) {
    return formatLine("%i\t%u\t%u\t%0.4f\t%0.4f\t%0.3f\t%lu\r\n",
                      {s.twat, s.freq, s.spd, double{s.jqk}, double{s.jair}, double{s.jqt},
                       std::int64_t{s.tick}});
}

// A file name in a folder, both and the result in UTF-8.
std::string inFolder(const std::string& folder, const std::string& name) {
    const std::u8string joined = (platform::utf8Path(folder) / platform::utf8Path(name)).u8string();
    return std::string(joined.begin(), joined.end());
}

// The error a failed stream call left, or a general one where it left none.
std::error_code systemError() {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(std::errc::io_error);
}

// Taken after the open, which creates a missing file: where a failed append is
// cut back to. None for a device, which keeps no length.
std::optional<std::uintmax_t> regularLength(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = platform::utf8Path(path);
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    const std::uintmax_t length = std::filesystem::file_size(file, error);
    return error ? std::nullopt : std::optional<std::uintmax_t>(length);
}

}  // namespace

std::string fileErrorText(std::error_code error) {
    const std::error_condition cause = error.default_error_condition();
    if (cause == std::errc::no_such_file_or_directory) {
        return "нет такой папки";
    }
    if (cause == std::errc::permission_denied || cause == std::errc::operation_not_permitted) {
        return "нет доступа";
    }
    if (cause == std::errc::read_only_file_system) {
        return "диск только для чтения";
    }
    if (cause == std::errc::no_space_on_device) {
        return "нет места на диске";
    }
    if (cause == std::errc::file_too_large) {
        return "файл больше, чем разрешено";
    }
    if (cause == std::errc::is_a_directory) {
        return "это папка";
    }
    if (cause == std::errc::invalid_argument) {
        return "недопустимое имя файла";
    }
    return "ошибка системы: " + error.message();
}

ReportFile::ReportFile(std::string path, std::ofstream file, std::optional<std::uintmax_t> length,
                       bool made)
    : where(std::move(path)), out(std::move(file)), lengthBefore(length), madeByOpen(made) {}

std::unique_ptr<ReportFile> ReportFile::open(const std::string& path, std::error_code* error) {
    // The system would take the name only up to a NUL, and the file written would
    // not be the one announced.
    if (path.find('\0') != std::string::npos) {
        if (error != nullptr) {
            *error = std::make_error_code(std::errc::invalid_argument);
        }
        return nullptr;
    }
    std::error_code missing;
    const bool made = !std::filesystem::exists(platform::utf8Path(path), missing);
    errno = 0;
    std::ofstream file(platform::utf8Path(path), std::ios::binary | std::ios::app);
    if (!file) {
        if (error != nullptr) {
            *error = systemError();
        }
        return nullptr;
    }
    return std::unique_ptr<ReportFile>(
        new ReportFile(path, std::move(file), regularLength(path), made));
}

void ReportFile::write(std::string_view utf8) {
    const std::string bytes = platform::utf8ToCp1251(utf8);
    errno = 0;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out && !failed) {
        failed = true;
        firstError = systemError();
    }
}

bool ReportFile::close() {
    errno = 0;
    out.close();
    if (out.fail() && !failed) {
        failed = true;
        firstError = systemError();
    }
    if (failed) {
        undo();
    }
    return !failed;
}

void ReportFile::undo() {
    if (!lengthBefore) {
        return;
    }
    std::error_code ignored;
    if (madeByOpen) {
        std::filesystem::remove(platform::utf8Path(where), ignored);
    } else {
        std::filesystem::resize_file(platform::utf8Path(where), *lengthBefore, ignored);
    }
}

void TestReport::failed(std::string_view text) {
    prompts.showMessage(errorCaption, text, MessageIcon::error);
}

// The same path would fail the same way until the console is opened again.
void TestReport::dumpFileFailed(const std::string& path, std::error_code error) {
    lastReportProblem = path + ": " + fileErrorText(error);
    currentDumpPath.clear();
    failed("Не возможно открыть файл.\n" + lastReportProblem);
}

std::unique_ptr<ReportFile> TestReport::openReport(ReportOutcome& outcome) {
    lastReportProblem.clear();
    if (currentDumpPath.empty()) {
        // A cancelled question writes nothing and leaves the path unchosen, so the
        // next report asks again.
        const std::optional<std::string> chosen = prompts.askSavePath(dumpFileQuestion);
        if (!chosen || chosen->empty()) {
            outcome = ReportOutcome::cancelled;
            return nullptr;
        }
        currentDumpPath = *chosen;
    }
    std::error_code error;
    std::unique_ptr<ReportFile> report = ReportFile::open(currentDumpPath, &error);
    if (!report) {
        dumpFileFailed(currentDumpPath, error);
        outcome = ReportOutcome::reportFailed;
        return nullptr;
    }
    outcome = ReportOutcome::saved;
    return report;
}

void TestReport::writeReportHeader(ReportFile& report, const TitleLines& title) {
    for (std::string_view line : title) {
        report.write(line);
    }
    report.write(calendarText(clock.calendarNow()) + "\r\n");
    CommentDialog comment;
    comment.run(prompts);
    report.write(commentLine(comment.comment()));
}

ReportOutcome TestReport::closeReport(std::unique_ptr<ReportFile> report) {
    if (!report->close()) {
        dumpFileFailed(report->path(), report->error());
        return ReportOutcome::reportFailed;
    }
    return ReportOutcome::saved;
}

ReportOutcome TestReport::writeDetailFile(std::unique_ptr<ReportFile> report,
                                          std::string_view extension, const TitleLines& detailTitle,
                                          std::span<const measure::TestSample> samples,
                                          const std::string& folder) {
    const std::optional<std::string> name = writeSamples(extension, detailTitle, samples, folder);
    if (name) {
        report->write(formatLine("\r\n Файл дампа: %s", {*name}));
    } else {
        failed("Не возможно открыть файл дампа.");
    }
    if (const ReportOutcome closed = closeReport(std::move(report));
        closed != ReportOutcome::saved) {
        // The report that would name it is not in the dump: a save that failed
        // leaves no file behind (the run is saved again whole).
        if (name) {
            std::error_code ignored;
            std::filesystem::remove(
                platform::utf8Path(folder.empty() ? *name : inFolder(folder, *name)), ignored);
        }
        return closed;
    }
    return name ? ReportOutcome::saved : ReportOutcome::detailFailed;
}

std::optional<std::string> TestReport::writeSamples(std::string_view extension,
                                                    const TitleLines& detailTitle,
                                                    std::span<const measure::TestSample> samples,
                                                    const std::string& folder) {
    // Seconds since 1970 name the file; a second already taken (two runs saved
    // within it) moves on to the next number rather than append to that file.
    const std::int64_t now = clock.calendarNow();
    for (std::int64_t number = now; number < now + maxSampleNameTries; ++number) {
        const std::string name = formatLine("%lu", {number}) + std::string(extension);
        const std::string path = folder.empty() ? name : inFolder(folder, name);
        switch (platform::createNewFile(path)) {
            case platform::NewFile::taken:
                continue;
            case platform::NewFile::failed:
                return std::nullopt;
            case platform::NewFile::created:
                break;
        }
        if (writeSampleFile(path, detailTitle, samples)) {
            return name;
        }
        std::error_code ignored;
        std::filesystem::remove(platform::utf8Path(path), ignored);
        return std::nullopt;
    }
    return std::nullopt;
}

bool TestReport::writeSampleFile(const std::string& path, const TitleLines& detailTitle,
                                 std::span<const measure::TestSample> samples) {
    std::unique_ptr<ReportFile> detail = ReportFile::open(path);
    if (!detail) {
        return false;
    }
    for (std::string_view line : detailTitle) {
        detail->write(line);
    }
    detail->write(calendarText(clock.calendarNow()) + "\r\n");
    detail->write(detailColumns);
    for (std::size_t i = 0; i < samples.size() && samples[i].filled == 1; ++i) {
        detail->write(detailLine(samples[i]));
    }
    return detail->close();
}

}  // namespace ecuprobe::reports
