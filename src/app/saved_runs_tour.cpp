#include "app/saved_runs_tour.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <iostream>

#include "console/measured_form.h"
#include "ecu/ecu_session.h"
#include "link/frame_exchange.h"
#include "platform/in_memory_serial_device.h"
#include "reports/measured_report.h"
#include "reports/tester_dump.h"
#include "sim/simulated_ecu.h"
#include "ui/comparison_window.h"
#include "ui/main_window.h"

namespace ecuprobe::app {

namespace {

// Answers the report's questions as a mechanic would: the dump is chosen, the comment typed.
class TypedAnswers final : public reports::UserPrompts {
public:
    explicit TypedAnswers(std::string typed) : comment(std::move(typed)) {}
    std::optional<std::string> askSavePath(const reports::SaveAsRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> askComment(std::size_t) override { return comment; }
    bool askYesNo(std::string_view, std::string_view, bool) override { return false; }
    void showMessage(std::string_view, std::string_view text, reports::MessageIcon) override {
        std::cerr << "ecuprobe-screenshots: " << text << '\n';
    }

private:
    std::string comment;
};

// A run-up saved into the current folder's dump; the state report first when asked.
// The ECU that answers later is sampled less often: the two runs differ.
bool savedRunUp(std::uint32_t answerDelayMs, const std::string& comment, bool stateReport) {
    platform::FakeClock clock(0, 1733644800 + answerDelayMs * 600);
    sim::SimulatedEcuOptions options;
    options.scenario = sim::Scenario::runup;
    options.answerDelayMs = answerDelayMs;
    sim::SimulatedEcu simulator(clock, options);
    platform::InMemorySerialDevice device(clock, simulator);
    const platform::PortMap ports;
    link::processLink().detach();
    link::processLink().attach(device, clock, ports);
    ecu::chosenPortNumber = 2;
    bool saved = false;
    {
        ecu::EcuSession session;
        TypedAnswers answers(comment);
        if (session.connect() == ecu::ServiceResult::done) {
            if (stateReport) {
                reports::TesterDump(session, answers).saveStateReport();
            }
            console::MeasuredForm form(console::dynamicRun, session, answers);
            measure::TestSampler sampler(session);
            const console::TestRun run = form.run(sampler);
            saved = run.result == measure::SampleResult::Ok &&
                    run.report == reports::ReportOutcome::saved;
        }
    }
    link::processLink().detach();
    ecu::chosenPortNumber = 0;
    ecu::exchangeBusy = 0;
    return saved;
}

bool savePicture(const QImage& picture, const QDir& into, const char* name) {
    const QString path = into.filePath(QLatin1String(name));
    if (!picture.save(path, "PNG")) {
        std::cerr << "ecuprobe-screenshots: cannot write " << path.toStdString() << '\n';
        return false;
    }
    std::cout << path.toStdString() << '\n';
    return true;
}

// The printed page as a printer draws it, at 110 dpi on white.
QImage pageImage(const ui::ComparisonWindow& comparison) {
    QImage page(910, 1286, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    ui::paintComparisonPage(painter, QRectF(page.rect()), comparison.content());
    return page;
}

}  // namespace

bool savedRunsTour(ui::MainWindow& window, const QDir& into) {
    QTemporaryDir scratch;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scratch.path());
    reports::currentDumpPath = scratch.filePath(QStringLiteral("ГАЗ-3110.tdm")).toStdString();
    const bool ran = savedRunUp(0, "До замены свечей", true) &&
                     savedRunUp(30, "После замены свечей, зазор 0,9 мм", false);
    reports::currentDumpPath.clear();
    QDir::setCurrent(previous);
    QStringList runs;
    for (const QString& name : QDir(scratch.path()).entryList({QStringLiteral("*.dmp")})) {
        runs.append(scratch.filePath(name));
    }
    if (!ran || runs.size() != 2) {
        std::cerr << "ecuprobe-screenshots: the run-ups were not saved\n";
        return false;
    }
    window.openFiles(runs);
    auto* comparison = window.findChild<ui::ComparisonWindow*>();
    if (comparison == nullptr) {
        std::cerr << "ecuprobe-screenshots: the runs did not open\n";
        return false;
    }
    comparison->resize(1100, 720);
    QApplication::processEvents();
    bool saved = savePicture(comparison->grab().toImage(), into, "comparison.png");
    saved = savePicture(pageImage(*comparison), into, "comparison_page.png") && saved;
    comparison->close();
    return saved;
}

}  // namespace ecuprobe::app
