#include "console/measured_test_form.h"

#include <algorithm>
#include <vector>

#include "platform/utf8_path.h"

namespace ecuprobe::console {

namespace {

constexpr float millisecond = 0.001f;

// The folder of a UTF-8 path, in UTF-8; empty for a bare name (the current folder).
std::string parentFolder(const std::string& path) {
    const std::u8string folder = platform::utf8Path(path).parent_path().u8string();
    return std::string(folder.begin(), folder.end());
}

}  // namespace

float MeasuredTestForm::seconds() const {
    return static_cast<float>(result.durationMs) * millisecond;
}

float perSecond(std::int32_t change, float seconds) {
    return seconds > 0 ? static_cast<float>(change) / seconds : 0.0f;
}

void MeasuredTestForm::show(const TestMessage& message) {
    prompts.showMessage(message.caption, message.text, reports::MessageIcon::error);
}

TestRun MeasuredTestForm::run(measure::TestSampler& sampler) {
    if (const std::optional<TestMessage> refused = refusedInput()) {
        show(*refused);
        return {};
    }
    // Without an equipment read on this connection the speed sensor would count as
    // missing: a car that has one would be told it has none, and JQK would stay 0.
    if (!session.identity().equipmentRead) {
        std::string equipment;
        session.readEquipment(equipment);
    }
    busy = true;
    unsaved.reset();
    std::vector<measure::TestSample> samples(measure::TestSampler::bufferSize);
    TestRun outcome{true, sample(sampler, samples), std::nullopt};
    // Cleared once more whatever way the run ended: a flag left raised would keep
    // the console's poll off the line for good.
    ecu::exchangeBusy = 0;
    busy = false;
    if (outcome.result != measure::SampleResult::Ok) {
        const std::span<const RunErrorText> errors = runErrors();
        const auto known = std::find_if(errors.begin(), errors.end(), [&](const RunErrorText& e) {
            return e.code == outcome.result;
        });
        // A run the person stopped needs no message.
        if (known != errors.end()) {
            show(known->message);
        }
        return outcome;
    }
    crossing = sampler.crossings();
    const auto unfilled = std::find_if(samples.begin(), samples.end(),
                                       [](const measure::TestSample& s) { return s.filled != 1; });
    recordedSamples.assign(samples.begin(), unfilled);
    takeResults();
    if (save) {
        const TestReportTexts texts = reportTexts();
        outcome.report = writeReport(recordedSamples, texts, false);
        if (*outcome.report != reports::ReportOutcome::saved) {
            unsaved = texts;
        }
    }
    return outcome;
}

reports::ReportOutcome MeasuredTestForm::saveLastRun() {
    if (!unsaved || busy) {
        return reports::ReportOutcome::cancelled;
    }
    reports::currentDumpPath.clear();
    const reports::ReportOutcome outcome = writeReport(recordedSamples, *unsaved, true);
    if (outcome == reports::ReportOutcome::saved) {
        unsaved.reset();
    }
    return outcome;
}

reports::ReportOutcome MeasuredTestForm::writeReport(std::span<const measure::TestSample> samples,
                                                     const TestReportTexts& texts,
                                                     bool besideDumpFile) {
    reports::TestReport report(prompts, session.clock());
    reports::ReportOutcome outcome = reports::ReportOutcome::saved;
    std::unique_ptr<reports::ReportFile> file = report.openReport(outcome);
    if (!file) {
        return outcome;
    }
    report.writeReportHeader(*file, texts.title);
    file->write(texts.body);
    const std::string folder = besideDumpFile ? parentFolder(reports::currentDumpPath) : "";
    return report.writeDetailFile(std::move(file), texts.detailExtension, texts.detailTitle,
                                  samples, folder);
}

}  // namespace ecuprobe::console
