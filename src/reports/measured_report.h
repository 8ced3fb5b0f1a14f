#pragma once

#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "measure/run_sample.h"
#include "platform/clock.h"
#include "reports/user_prompts.h"

namespace ecuprobe::reports {

// The tester dump file every report goes to; empty until a person has chosen one.
// "Начать" on the console empties it, so the first report after a start asks.
extern std::string currentDumpPath;
// Why the last report could not be written, for the status line: the dump file's
// path and the cause. A report that fails so empties currentDumpPath, so the next
// one asks for a file again; empty after a report that was written.
extern std::string lastReportProblem;

// In Russian, why a file could not be opened or written, from the system's error.
std::string fileErrorText(std::error_code error);

// The three lines that open a report; the third ends in "Дата:" for the date.
using TitleLines = std::array<std::string_view, 3>;

// The column header of a sample file, before its rows of samples.
inline constexpr std::string_view detailColumns =
    "\r\n Температура охлаждающей жидкости\tСкорость вращения двигателя\tСкорость "
    "автомобиля\tПутевой расход топлива\tМассовый расход воздуха\tЧасовой расход "
    "топлива\tМетка времени ms.\r\n";

// How writing a report ended.
enum class ReportOutcome : std::uint8_t {
    saved,
    cancelled,     // the Save-As question was cancelled: nothing written
    reportFailed,  // the dump file could not be opened or written completely
    detailFailed,  // the report is complete, the detail file could not be written
};

// A dump or detail file open for appending. Texts are given in UTF-8 and written
// in CP1251, as they are, with their own CR LF; every write and the close are
// checked, so a full disk or a lost device never passes for a saved report. An
// append is all or nothing: when it fails, the file is cut back to the length it
// had when it was opened (removed, when the open made it), so that no half
// report stays for the next one to follow.
class ReportFile {
public:
    // Null when it cannot be opened; why, then, in *error when given.
    static std::unique_ptr<ReportFile> open(const std::string& path,
                                            std::error_code* error = nullptr);

    void write(std::string_view utf8);
    // Closes the file; false when it or any write before it failed, and then the
    // file is as it was before.
    bool close();
    const std::string& path() const { return where; }
    // The system's error of the first write or of the close that failed.
    std::error_code error() const { return firstError; }

private:
    ReportFile(std::string path, std::ofstream file, std::optional<std::uintmax_t> length,
               bool made);
    // Puts the file back as it was before the append.
    void undo();

    std::string where;
    std::ofstream out;
    // The length before the append; none for what is no regular file (a device).
    std::optional<std::uintmax_t> lengthBefore;
    bool madeByOpen = false;
    bool failed = false;
    std::error_code firstError;
};

// The report procedure shared by the tests and the tester dump: the dump file
// chosen once per console start, the head with date and comment, and the
// tab-separated detail file of a test's samples.
class TestReport {
public:
    TestReport(UserPrompts& userPrompts, platform::Clock& calendar)
        : prompts(userPrompts), clock(calendar) {}

    // Asks for the dump file when none is chosen yet, then opens it for appending.
    // Null when the person cancelled (outcome cancelled) or it could not be opened
    // ("Не возможно открыть файл.", outcome reportFailed).
    std::unique_ptr<ReportFile> openReport(ReportOutcome& outcome);
    // The title lines, the date, and the comment line when the person typed one.
    void writeReportHeader(ReportFile& report, const TitleLines& title);
    // Writes the samples up to the first unfilled one into a new "<seconds><extension>"
    // (the next free number when another run took that second) in the folder, the
    // current one when empty; names it in the report once it is written whole, and
    // closes the report. A sample file that failed is removed and not named.
    ReportOutcome writeDetailFile(std::unique_ptr<ReportFile> report, std::string_view extension,
                                  const TitleLines& detailTitle,
                                  std::span<const measure::TestSample> samples,
                                  const std::string& folder = {});
    // Closes a report that has no detail file (the state report).
    ReportOutcome closeReport(std::unique_ptr<ReportFile> report);

private:
    void failed(std::string_view text);
    // "Не возможно открыть файл." with the file and the cause on the next line, and
    // the dump file is asked for again next time.
    void dumpFileFailed(const std::string& path, std::error_code error);
    // The name of the sample file written whole; nullopt when none could be.
    std::optional<std::string> writeSamples(std::string_view extension,
                                            const TitleLines& detailTitle,
                                            std::span<const measure::TestSample> samples,
                                            const std::string& folder);
    bool writeSampleFile(const std::string& path, const TitleLines& detailTitle,
                         std::span<const measure::TestSample> samples);

    UserPrompts& prompts;
    platform::Clock& clock;
};

}  // namespace ecuprobe::reports
