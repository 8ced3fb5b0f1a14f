// Saved runs, logs and dumps opened in the window: routed by what they hold,
// refused with the line that is wrong, runs side by side with the figures their
// reports hold, the recent files, a drop, and the printed page.
#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <sstream>

#include "app/app_options.h"
#include "console/measured_form.h"
#include "gui_support.h"
#include "platform/code_pages.h"
#include "reports/measured_report.h"
#include "review/saved_file.h"
#include "simulated_run_up.h"
#include "text_recorder.h"
#include "ui/comparison_window.h"
#include "ui/drive_log_window.h"
#include "ui/print_output.h"
#include "ui/saved_file_commands.h"
#include "ui/saved_file_opener.h"
#include "ui/tester_dump_window.h"

namespace ecuprobe::gui_testing {

namespace {

// A sample file as the test writes it: its three title lines, the date, the
// column header and a row per sample (watched value rising or falling by 400).
QByteArray sampleFile(const console::RunDescriptor& test, int from, int to) {
    std::string text;
    for (const std::string_view line : test.detailTitle) {
        text += line;
    }
    text += "Mon Jan  1 10:00:00 2024\r\n" + std::string(reports::detailColumns);
    const int step = to > from ? 400 : -400;
    std::uint32_t tick = 1000;
    for (int value = from; step > 0 ? value < to + step : value > to + step; value += step) {
        text += "90\t" + std::to_string(value) + "\t0\t0.000\t150.000\t15.00\t" +
                std::to_string(tick) + "\r\n";
        tick += 50;
    }
    const std::string bytes = platform::utf8ToCp1251(text);
    return {bytes.data(), static_cast<qsizetype>(bytes.size())};
}

const QByteArray driveLog = "Time\tTWAT\tTHR\ns\t°C\t%\n0.000\t90\t0\n0.600\t91\t5\n";
const QByteArray dump = platform::utf8ToCp1251(
                            "\r\n\r\n \t ***** \r\n \t *** Состояние внутренних переменых ЭБУ. "
                            "*** \r\n \t ***** \r\n\t\tДата:Mon Jan  1 10:00:00 2024\r\n"
                            "\r\n x\r\n\r\nКомплектация: ")
                            .c_str();

// The value a report line gives for a figure: "Длительность разгона:\t0.9110\tcек.",
// " Скорость вращения двигателя      до: 2080\tпосле: 5560\tоб./мин."; none when
// the report has no line for it.
std::optional<QString> reportValue(const QString& report, QString caption) {
    const bool before = caption.endsWith(QStringLiteral(" до"));
    const bool after = caption.endsWith(QStringLiteral(" после"));
    caption.chop(before ? 3 : (after ? 6 : 0));
    for (const QString& line : report.split(u'\n')) {
        if (!line.trimmed().startsWith(caption)) {
            continue;
        }
        QString rest = line.mid(line.indexOf(caption) + caption.size());
        const QString key =
            before ? QStringLiteral("до:") : (after ? QStringLiteral("после:") : ":");
        rest = rest.mid(rest.indexOf(key) + key.size());
        return rest.trimmed().section(u'\t', 0, 0).trimmed();
    }
    return std::nullopt;
}

std::vector<ui::ComparisonWindow*> comparisons(const std::vector<QWidget*>& windows) {
    std::vector<ui::ComparisonWindow*> found;
    for (QWidget* window : windows) {
        if (auto* comparison = qobject_cast<ui::ComparisonWindow*>(window)) {
            found.push_back(comparison);
        }
    }
    return found;
}

}  // namespace

class SavedFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

    QStringList written(const QStringList& names) {
        const std::map<QString, QByteArray> files{
            {"up1.dmp", sampleFile(console::dynamicRun, 2000, 5600)},
            {"up2.dmp", sampleFile(console::dynamicRun, 2040, 5560)},
            {"two.dmp", sampleFile(console::dynamicRun, 2000, 5600) +
                            sampleFile(console::dynamicRun, 2000, 5600)},
            {"down.dmm", sampleFile(console::lossRun, 5000, 2000)},
            {"drive.tsv", driveLog},
            {"car.tdm", dump},
            {"cut.dmp", sampleFile(console::dynamicRun, 2000, 5600) + "90\t20"},
            {"notes.txt", "Заметки\n"},
            {"badrow.dma", sampleFile(console::accelerationRun, 20, 80).replace("\t150.", "\tx.")},
        };
        QStringList paths;
        for (const QString& name : names) {
            paths.append(write(name, files.at(name)));
        }
        return paths;
    }

    std::unique_ptr<ui::MainWindow> shell() {
        auto window = std::make_unique<ui::MainWindow>(ui::ConsoleOptions{});
        window->show();
        return window;
    }

    static QMessageBox* message() { return waitForWindow<QMessageBox>(2000); }

    // Two standing run-ups on the simulated car, saved with a comment each into
    // the folder's dump; the second ECU answers later, so it samples slower.
    void runUpsOnTheSimulator();

private slots:
    void initTestCase() {
        prepareGuiTests();
        QVERIFY(folder.isValid());
    }

    void filesOpenByWhatTheyHold_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("runs");   // in the one comparison; 0 for none
        QTest::addColumn<int>("views");  // windows of logs and dumps
        QTest::addColumn<QString>("refusal");
        QTest::newRow("two runs side by side")
            << QStringList{"up1.dmp", "up2.dmp"} << 2 << 0 << QString();
        QTest::newRow("one run alone") << QStringList{"up1.dmp"} << 1 << 0 << QString();
        QTest::newRow("a file's two tables") << QStringList{"two.dmp"} << 2 << 0 << QString();
        QTest::newRow("a run and a log")
            << QStringList{"drive.tsv", "up1.dmp"} << 1 << 1 << QString();
        QTest::newRow("a dump") << QStringList{"car.tdm"} << 0 << 1 << QString();
        QTest::newRow("cut short")
            << QStringList{"up1.dmp", "cut.dmp"} << 0 << 0 << QStringLiteral("cut.dmp\nстрока 19:");
        QTest::newRow("none of the tester's")
            << QStringList{"notes.txt"} << 0 << 0 << QStringLiteral("notes.txt\nстрока 1:");
        QTest::newRow("a cell that is no number")
            << QStringList{"badrow.dma"} << 0 << 0 << QStringLiteral("badrow.dma\nстрока 9:");
        QTest::newRow("runs of two tests") << QStringList{"up1.dmp", "down.dmm"} << 0 << 0
                                           << QStringLiteral("Заезды не сравниваются: ");
    }

    void filesOpenByWhatTheyHold() {
        QFETCH(QStringList, files);
        QFETCH(int, runs);
        QFETCH(int, views);
        QFETCH(QString, refusal);
        const QStringList paths = written(files);
        QByteArray before;
        for (const QString& path : paths) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            before += file.readAll();
        }
        QWidget parent;
        const ui::OpenedFiles opened = ui::openSavedFiles(paths, &parent);
        const auto found = comparisons(opened.windows);
        QCOMPARE(found.size(), runs > 0 ? 1u : 0u);
        if (runs > 0) {
            QCOMPARE(found.front()->content().runs.size(), static_cast<std::size_t>(runs));
            QCOMPARE(found.front()->figures()->columnCount(), 1 + (runs - 1) * 3);
        }
        const auto isView = [](QWidget* window) {
            return qobject_cast<ui::DriveLogWindow*>(window) != nullptr ||
                   qobject_cast<ui::TesterDumpWindow*>(window) != nullptr;
        };
        QCOMPARE(std::count_if(opened.windows.begin(), opened.windows.end(), isView), views);
        QCOMPARE(opened.refusal.isEmpty(), refusal.isEmpty());
        QVERIFY2(opened.refusal.contains(refusal), qPrintable(opened.refusal));
        QByteArray after;
        for (const QString& path : paths) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            after += file.readAll();
        }
        QCOMPARE(after, before);
    }

    void aBadFileOpensNothingAndTellsItsLine() {
        const auto window = shell();
        window->openFiles(written({"up1.dmp", "cut.dmp"}));
        QMessageBox* box = message();
        QVERIFY(box != nullptr);
        QVERIFY2(box->text().endsWith(QStringLiteral("cut.dmp\nстрока 19: файл обрывается")),
                 qPrintable(box->text()));
        QVERIFY(window->findChildren<ui::ComparisonWindow*>().isEmpty());
        box->close();
    }

    void openedFilesAreRecentNewestFirstAndAMissingOneIsDropped() {
        for (const QString& kept : ui::RecentFiles().paths()) {
            ui::RecentFiles().remove(kept);
        }
        const auto window = shell();
        const QStringList paths = written({"up1.dmp", "up2.dmp", "two.dmp", "down.dmm"});
        const QString fifth =
            write(QStringLiteral("up5.dmp"), sampleFile(console::dynamicRun, 2000, 5600));
        for (const QString& path : paths + QStringList{fifth}) {
            window->openFiles({path});
        }
        QStringList shown;
        for (int i = 1; i <= 4; ++i) {
            auto* entry = window->findChild<QAction*>(QStringLiteral("fileRecent%1").arg(i));
            QVERIFY(entry->isVisible());
            shown.append(entry->data().toString());
        }
        QCOMPARE(shown, (QStringList{fifth, paths[3], paths[2], paths[1]}));
#ifdef _WIN32
        // Where the original program kept its list, in the system's spelling.
        const QSettings registry(QStringLiteral("HKEY_CURRENT_USER\\Software\\Local AppWizard-"
                                                "Generated Applications\\%1\\Recent File List")
                                     .arg(QCoreApplication::applicationName()),
                                 QSettings::NativeFormat);
        QCOMPARE(registry.value(QStringLiteral("File1")).toString(),
                 QDir::toNativeSeparators(fifth));
        QCOMPARE(registry.value(QStringLiteral("File4")).toString(),
                 QDir::toNativeSeparators(paths[1]));
#endif
        QVERIFY(!window->findChild<QAction*>(QStringLiteral("fileRecent"))->isVisible());

        QFile::remove(fifth);
        window->findChild<QAction*>(QStringLiteral("fileRecent1"))->trigger();
        QMessageBox* box = message();
        QVERIFY(box != nullptr);
        QVERIFY(box->text().contains(QStringLiteral("Файл не найден")));
        box->close();
        QCOMPARE(window->findChild<QAction*>(QStringLiteral("fileRecent1"))->data().toString(),
                 paths[3]);
        QVERIFY(!window->findChild<QAction*>(QStringLiteral("fileRecent4"))->isVisible());
    }

    void printItemsFollowTheOpenComparison() {
        const auto window = shell();
        const QStringList items{"filePrint", "filePrintPreview", "fileExportPdf"};
        for (const QString& name : items) {
            QVERIFY(!window->findChild<QAction*>(name)->isEnabled());
        }
        QVERIFY(window->findChild<QAction*>(QStringLiteral("fileOpen"))->isEnabled());
        window->openFiles(written({"up1.dmp"}));
        QPointer<ui::ComparisonWindow> comparison = waitForWindow<ui::ComparisonWindow>();
        QVERIFY(comparison != nullptr);
        QCOMPARE(window->savedFiles()->activeView(), comparison.data());
        for (const QString& name : items) {
            QVERIFY(window->findChild<QAction*>(name)->isEnabled());
        }
        comparison->close();
        QVERIFY(waitFor([&] { return comparison.isNull(); }));
        for (const QString& name : items) {
            QVERIFY(!window->findChild<QAction*>(name)->isEnabled());
        }
    }

    void filesDroppedOnTheWindowOpen() {
        const auto window = shell();
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : written({"up1.dmp", "up2.dmp"})) {
            urls.append(QUrl::fromLocalFile(path));
        }
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        auto* comparison = waitForWindow<ui::ComparisonWindow>();
        QVERIFY(comparison != nullptr);
        QCOMPARE(comparison->content().runs.size(), 2u);
    }

    void ctrlOOpensTheRunsChosenTogetherAndPdfExportWritesThePage() {
        const auto window = shell();
        const QStringList paths = written({"up1.dmp", "up2.dmp"});
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keySequence(window.get(), QKeySequence::Open);
        auto* open = waitForWindow<QFileDialog>();
        QVERIFY(open != nullptr);
        QCOMPARE(open->fileMode(), QFileDialog::ExistingFiles);
        // Typed key by key, a path makes Qt's own open dialog change folders as it goes.
        open->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("\"%1\" \"%2\"").arg(paths[0], paths[1]));
        static_cast<QDialog*>(open)->accept();
        auto* comparison = waitForWindow<ui::ComparisonWindow>();
        QVERIFY(comparison != nullptr);
        QCOMPARE(comparison->content().runs.size(), 2u);

        window->findChild<QAction*>(QStringLiteral("fileExportPdf"))->trigger();
        auto* saveAs = waitForWindow<QFileDialog>();
        QVERIFY(saveAs != nullptr);
        QCOMPARE(saveAs->acceptMode(), QFileDialog::AcceptSave);
        const QString pdf = folder.filePath(QStringLiteral("menu.pdf"));
        saveAs->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(pdf);
        static_cast<QDialog*>(saveAs)->accept();
        QVERIFY(waitFor([&] { return QFileInfo(pdf).size() > 0; }));
    }

    void theCommandLineNamesFilesToOpen() {
        app::AppOptions options;
        std::ostringstream out;
        std::ostringstream err;
        QVERIFY(!app::parseAppOptions({"a.dmp", "--port", "COM2", "b.dmp"}, options, out, err));
        QCOMPARE(options.files, (std::vector<std::string>{"a.dmp", "b.dmp"}));
        QVERIFY(options.portGiven);
    }

    void figuresSideBySideAreThoseTheReportsHold();
    void thePageCarriesTheRunsFiguresAndIdentityAndPrintsToOnePdfPage();
};

void SavedFilesTest::runUpsOnTheSimulator() {
    // The sample files go to the current folder, as the window's tests write them.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    reports::currentDumpPath = folder.filePath(QStringLiteral("car.tdm")).toStdString();
    QFile::remove(folder.filePath(QStringLiteral("car.tdm")));
    const std::pair<std::uint32_t, const char*> runs[] = {{0, "до ремонта"}, {30, "после ремонта"}};
    std::string problem;
    for (const auto& [delayMs, comment] : runs) {
        sim::SimulatedEcuOptions car;
        car.answerDelayMs = delayMs;
        if (problem.empty()) {
            problem = ecuprobe::testing::saveRunUpOnTheSimulator(car, std::string(comment));
        }
    }
    reports::currentDumpPath.clear();
    QDir::setCurrent(previous);
    QVERIFY2(problem.empty(), problem.c_str());
}

void SavedFilesTest::figuresSideBySideAreThoseTheReportsHold() {
    runUpsOnTheSimulator();
    if (QTest::currentTestFailed()) {
        return;
    }
    review::ReadError error;
    const auto dumpRead =
        review::readSavedFile(folder.filePath(QStringLiteral("car.tdm")).toStdString(), error);
    QVERIFY(dumpRead);
    const auto& entries = std::get<std::vector<review::DumpEntry>>(*dumpRead);
    QCOMPARE(entries.size(), 2u);
    QStringList paths;
    for (const review::DumpEntry& entry : entries) {
        paths.append(folder.filePath(QString::fromStdString(entry.sampleFile)));
    }
    const auto window = shell();
    window->openFiles(paths);
    auto* comparison = waitForWindow<ui::ComparisonWindow>(2000);
    QMessageBox* refused = comparison == nullptr ? message() : nullptr;
    QVERIFY2(comparison != nullptr, refused != nullptr ? qPrintable(refused->text()) : "");
    const QTableWidget* table = comparison->figures();
    QCOMPARE(table->columnCount(), 4);  // the runs, Δ and Δ %
    bool anyDiffers = false;
    int compared = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString header = table->verticalHeaderItem(row)->text();
        for (int run = 0; run < 2; ++run) {
            const std::optional<QString> reported = reportValue(
                QString::fromStdString(entries[run].text), header.left(header.lastIndexOf(", ")));
            if (reported) {
                QCOMPARE(table->item(row, run)->text(), *reported);
                ++compared;
            }
        }
        anyDiffers = anyDiffers || table->item(row, 0)->text() != table->item(row, 1)->text();
        const double delta =
            table->item(row, 1)->text().toDouble() - table->item(row, 0)->text().toDouble();
        QVERIFY(std::abs(table->item(row, 2)->text().toDouble() - delta) < 0.00051);
    }
    QVERIFY2(anyDiffers, "the two runs sampled at different speeds");
    // All but the road speeds, the fuel per distance and the car's rate, which a
    // standing run's report leaves out.
    QCOMPARE(compared, 2 * (table->rowCount() - 5));
    QCOMPARE(comparison->content().runs[0].notes.comment, std::string("до ремонта"));
    QCOMPARE(comparison->content().runs[1].notes.comment, std::string("после ремонта"));
}

void SavedFilesTest::thePageCarriesTheRunsFiguresAndIdentityAndPrintsToOnePdfPage() {
    // The dump beside the runs: the car's state report, then the first run's report.
    const auto head = [](const char* title, const char* comment) {
        return std::string("\r\n\r\n \t ***** \r\n \t *** ") + title +
               " *** \r\n \t ***** \r\n\t\tДата:Mon Jan  1 09:00:00 2024\r\n" + comment;
    };
    write(QStringLiteral("notes.tdm"),
          platform::utf8ToCp1251(
              head("Состояние внутренних переменых ЭБУ.", "") +
              "\r\nТип блока управления:Микас 5.4\r\n Номер двигателя:\t\tЗМЗ4062\t\t Номер "
              "кузова:\t\tXTH311000Y012345\r\n\r\nКомплектация: " +
              head("Результаты динамического теста.", "Коментарий: до ремонта\r\n") +
              "\r\n Файл дампа: up1.dmp\r\n")
              .c_str());
    QWidget parent;
    const ui::OpenedFiles opened = ui::openSavedFiles(written({"up1.dmp", "up2.dmp"}), &parent);
    const auto found = comparisons(opened.windows);
    QCOMPARE(found.size(), 1u);
    ui::ComparisonWindow& comparison = *found.front();
    TextRecorder page;
    {
        QPainter painter(&page);
        ui::paintComparisonPage(painter, QRectF(0, 0, page.width(), page.height()),
                                comparison.content());
    }
    // Qt hands a line over in runs of one script: "cек." starts with a Latin c.
    const QString text = page.texts.join(QString());
    for (const QString& expected :
         {QStringLiteral("Тест динамических качеств: сравнение заездов"),
          QStringLiteral("up1.dmp   Дата: Mon Jan  1 10:00:00 2024"), QStringLiteral("Показатель"),
          QStringLiteral("Длительность разгона, cек."), comparison.figures()->item(0, 0)->text(),
          comparison.figures()->item(0, 3)->text(), QStringLiteral("Обороты двигателя, об/мин"),
          QStringLiteral("Время от начального уровня, с"),
          QStringLiteral("Тип блока управления: Микас 5.4"),
          QStringLiteral("Номер кузова: XTH311000Y012345"),
          QStringLiteral("Коментарий: до ремонта")}) {
        QVERIFY2(text.contains(expected), qPrintable(expected + "\n---\n" + text));
    }

    const QString pdf = folder.filePath(QStringLiteral("runs.pdf"));
    QString problem;
    QVERIFY2(ui::writePdf(comparison, pdf, problem), qPrintable(problem));
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.contains("/Count 1"));
    QVERIFY(!ui::writePdf(comparison, folder.filePath(QStringLiteral("no/such/folder/x.pdf")),
                          problem));
}

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::SavedFilesTest)
#include "saved_files_test.moc"
