#include "console/measured_form.h"

#include <algorithm>
#include <vector>

#include "console/panel_snapshot.h"
#include "platform/utf8_path.h"
#include "reports/line_format.h"

namespace ecuprobe::console {

namespace {

// The folder of a UTF-8 path, in UTF-8; empty for a bare name (the current folder).
std::string parentFolder(const std::string& path) {
    const std::u8string folder = platform::utf8Path(path).parent_path().u8string();
    return std::string(folder.begin(), folder.end());
}

std::string fieldText(const FieldValue& value) {
    if (const float* real = std::get_if<float>(&value)) {
        return formatFloat(*real);
    }
    return std::to_string(std::get<std::int64_t>(value));
}

// Visits the result fields in order: a row's first field, then its second.
template <typename Visit>
void eachField(std::span<const ResultRow> rows, Visit visit) {
    for (const ResultRow& row : rows) {
        visit(row, row.first);
        if (row.second) {
            visit(row, *row.second);
        }
    }
}

reports::LineValue lineValue(const FieldValue& value) {
    if (const float* real = std::get_if<float>(&value)) {
        return double{*real};
    }
    return std::get<std::int64_t>(value);
}

}  // namespace

MeasuredForm::MeasuredForm(const RunDescriptor& descriptor, ecu::EcuSession& ecuSession,
                           reports::UserPrompts& userPrompts)
    : save(descriptor.saveFirst),
      row(descriptor),
      session(ecuSession),
      prompts(userPrompts),
      start(descriptor.start.first),
      end(descriptor.end.first) {
    // Every field shows 0 until a run fills it.
    eachField(row.results, [this](const ResultRow&, const ResultField& field) {
        shown.push_back(valueOf(field.quantity, result, 0.0f, 0));
    });
}

void MeasuredForm::setLevels(std::int64_t startLevel, std::int64_t endLevel) {
    start = startLevel;
    end = endLevel;
}

void MeasuredForm::clickOnTheMove() {
    if (row.onTheMove != 0) {
        moving = true;
        chosenGear = 2;
    }
}

void MeasuredForm::chooseGear(int number) {
    const int lowest = row.onTheMove != 0 ? 1 : 0;
    const bool usable = row.gear1 != 0 && (row.onTheMove == 0 || moving);
    if (usable && number >= lowest && number <= 4) {
        chosenGear = number;
    }
}

void MeasuredForm::show(const TestMessage& message) {
    prompts.showMessage(message.caption, message.text, reports::MessageIcon::error);
}

TestRun MeasuredForm::run(measure::TestSampler& sampler) {
    // The dialog has cleared the last run's figures: its report is no longer offered.
    unsaved.reset();
    if (const std::optional<TestMessage> refused = inputProblem()) {
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
    std::vector<measure::TestSample> samples(measure::TestSampler::bufferSize);
    TestRun outcome{true, sample(sampler, samples), std::nullopt};
    // Cleared once more whatever way the run ended: a flag left raised would keep
    // the console's poll off the line for good.
    ecu::exchangeBusy = 0;
    busy = false;
    if (outcome.result != measure::SampleResult::Ok) {
        const std::span<const RunErrorText> errors = row.errors;
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

reports::ReportOutcome MeasuredForm::saveLastRun() {
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

reports::ReportOutcome MeasuredForm::writeReport(std::span<const measure::TestSample> samples,
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

measure::SampleResult MeasuredForm::sample(measure::TestSampler& sampler,
                                           std::span<measure::TestSample> samples) {
    result.startLimit = static_cast<std::int32_t>(start);
    result.endLimit = static_cast<std::int32_t>(end);
    switch (row.variant) {
        case RunVariant::rpmRise:
            return sampler.runRpmRise(result, samples);
        case RunVariant::speedRiseOrFall:
            return end > start ? sampler.runSpeedRise(result, samples)
                               : sampler.runSpeedFall(result, samples);
        case RunVariant::rpmFall:
            break;
    }
    return sampler.runRpmFall(result, samples);
}

void MeasuredForm::takeResults() {
    const float seconds = runSeconds(result);
    std::size_t at = 0;
    eachField(row.results, [&](const ResultRow& r, const ResultField& field) {
        // Standing, the speed fields keep what they showed.
        if (!r.onTheMoveOnly || chosenGear != 0) {
            shown[at] = valueOf(field.quantity, result, seconds, chosenGear);
        }
        ++at;
    });
}

std::vector<std::pair<ControlId, std::string>> MeasuredForm::resultTexts() const {
    std::vector<std::pair<ControlId, std::string>> texts;
    std::size_t at = 0;
    eachField(row.results, [&](const ResultRow&, const ResultField& field) {
        texts.emplace_back(field.id, fieldText(shown[at++]));
    });
    return texts;
}

TestReportTexts MeasuredForm::reportTexts() const {
    const float seconds = runSeconds(result);
    std::string body;
    for (const ReportLine& line : row.report) {
        if (line.onTheMoveOnly && chosenGear == 0) {
            continue;
        }
        const reports::LineValue first =
            lineValue(valueOf(line.first, result, seconds, chosenGear));
        body += line.second
                    ? reports::formatLine(
                          line.format,
                          {first, lineValue(valueOf(*line.second, result, seconds, chosenGear))})
                    : reports::formatLine(line.format, {first});
    }
    return {row.reportTitle, std::move(body), row.detailExtension, row.detailTitle};
}

}  // namespace ecuprobe::console
