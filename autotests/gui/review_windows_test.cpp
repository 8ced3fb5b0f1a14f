#include <QBuffer>
#include <QHeaderView>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>

#include <cmath>

#include "gui_support.h"
#include "platform/code_pages.h"
#include "review/drive_log_file.h"
#include "review/dump_file.h"
#include "ui/drive_log_window.h"
#include "ui/live_lanes.h"
#include "ui/report_pages.h"
#include "ui/tester_dump_window.h"

namespace ecuprobe::gui_testing {

namespace {

// Ten minutes of a drive as the recorder writes it, one read every 0.6 s; the
// ECU gives no LAM2.
review::DriveLogTable handWrittenLog() {
    std::string bytes =
        "Time\tTWAT\tTHR\tFREQ\tLAM2\tVALF\tSPD\n"
        "s\t°C\t%\tоб/мин\tмВ\t\tкм/ч\n";
    for (int row = 0; row <= 1000; ++row) {
        bytes += QStringLiteral("%1\t%2\t%3\t%4\t\t14.7\t%5\n")
                     .arg(row * 0.6, 0, 'f', 3)
                     .arg(80 + row / 100)
                     .arg(row % 50)
                     .arg(800 + row)
                     .arg(row / 20)
                     .toStdString();
    }
    review::ReadError error;
    std::optional<review::DriveLogTable> log = review::readDriveLog(bytes, error);
    return log ? std::move(*log) : review::DriveLogTable{};
}

QStringList laneTitles(ui::DriveLogWindow& window) {
    QStringList titles;
    for (const ui::LiveLanes::Lane& lane : window.lanes()->lanes()) {
        titles.append(lane.name + u'|' + lane.unit);
    }
    return titles;
}

// Two reports in CP1251 as the console and a test wrote them: a state report
// with a comment, then a test's report.
std::string handWrittenDump() {
    const std::string stars = " \t ******************************************* \r\n";
    std::string text = "\r\n\r\n\r\n" + stars +
                       " \t *** Состояние внутренних переменых ЭБУ. *** \r\n" + stars +
                       "\t\tДата:Tue Feb  6 09:05:00 2024\r\nКоментарий: ГАЗ 3110\r\n" +
                       "\r\n Температура охлаждающей жидкости(TWAT):\t\t90\tград. С." +
                       "\r\n Скорость вращения двигателя (FREQ):\t\t\t800\tоб./мин." +
                       "\r\nПризнаки:\r\n Остановки(BITSTP):0" + "\r\n\r\nНеисправности :\t \r\n" +
                       "\r\n\r\nКомплектация: " + "\r\n\r\n" + stars +
                       " \t *** Результаты теста механических потерь. *** \r\n" + stars +
                       "\t\tДата:Tue Feb  6 09:10:00 2024\r\n" +
                       "\r\n\r\n Длительность торможения:\t2.5000\tcек." +
                       "\r\n Ускорение автомобиля:\t\t\t1.2000\t(км./час)/cek.\r\n";
    return platform::utf8ToCp1251(text);
}

std::vector<review::DumpEntry> readDump(const std::string& bytes) {
    review::ReadError error;
    std::optional<std::vector<review::DumpEntry>> entries = review::readTesterDump(bytes, error);
    return entries ? std::move(*entries) : std::vector<review::DumpEntry>{};
}

// A state report long enough for several pages: its live lines many times over.
review::DumpEntry longStateReport(int rows) {
    review::DumpEntry entry = readDump(handWrittenDump()).front();
    for (int row = 0; row < rows; ++row) {
        entry.text += QStringLiteral(" Значение %1 (V%1):\t\t%1\tед.\n").arg(row).toStdString();
    }
    return entry;
}

// An A4 page at 150 dpi.
QImage a4Image() {
    QImage image(1240, 1754, QImage::Format_RGB32);
    image.setDotsPerMeterX(5906);
    image.setDotsPerMeterY(5906);
    image.fill(Qt::white);
    return image;
}

}  // namespace

// The windows of saved files: a drive log in lanes, a tester dump's reports,
// and a report on paper.
class ReviewWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void aDriveLogShowsItsColumnsWithUnits() {
        ui::DriveLogWindow window(handWrittenLog(), QStringLiteral("/tmp/поездка.tsv"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.windowTitle().contains(QStringLiteral("поездка.tsv")));
        auto* columns = window.findChild<QListWidget*>(QStringLiteral("columns"));
        QCOMPARE(columns->count(), 6);
        QVERIFY(columns->item(0)->text().endsWith(QStringLiteral("(TWAT), °C")));
        QVERIFY(columns->item(4)->text().endsWith(QStringLiteral("(VALF)")));  // no unit
        // No LAM2 in any read: nothing to draw, so it cannot be chosen.
        QVERIFY(!columns->item(3)->flags().testFlag(Qt::ItemIsEnabled));
        QCOMPARE(window.chosenColumns(), (std::vector<std::size_t>{0, 1, 2, 5}));
        const QStringList titles = laneTitles(window);
        QCOMPARE(titles.size(), 4);
        QVERIFY(titles[2].endsWith(QStringLiteral("(FREQ)|об/мин")));
        QVERIFY(titles[3].endsWith(QStringLiteral("(SPD)|км/ч")));
        QCOMPARE(window.lanes()->lanes()[2].points.size(), std::size_t{1001});
        // The whole log at first, in time since its start.
        QCOMPARE(window.shown().from(), 0.0);
        QCOMPARE(window.shown().to(), 600.0);
        window.lanes()->setCursorSeconds(60.0);
        const QString reading = window.lanes()->cursorReading();
        QVERIFY2(reading.startsWith(QStringLiteral("0:01:00")), qPrintable(reading));
        QVERIFY2(reading.contains(QStringLiteral(": 900 об/мин")), qPrintable(reading));
        QVERIFY2(reading.contains(QStringLiteral(": 5 км/ч")), qPrintable(reading));
    }

    void zoomAndPanKeepWithinTheLog() {
        ui::DriveLogWindow window(handWrittenLog(), QStringLiteral("drive.tsv"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* scroller = window.findChild<QScrollBar*>(QStringLiteral("scroller"));
        auto* zoomOut = window.findChild<QPushButton*>(QStringLiteral("zoomOut"));
        QVERIFY(!zoomOut->isEnabled());
        for (int press = 0; press < 40; ++press) {
            window.findChild<QPushButton*>(QStringLiteral("zoomIn"))->click();
        }
        QCOMPARE(window.shown().width(), review::LogSpan::narrowestSeconds);
        QVERIFY(zoomOut->isEnabled());
        window.panBy(1e6);
        QCOMPARE(window.shown().to(), 600.0);
        QCOMPARE(scroller->value(), scroller->maximum());
        scroller->setValue(scroller->minimum());
        QCOMPARE(window.shown().from(), 0.0);
        QCOMPARE(window.lanes()->secondsAtX(0), 0.0);

        // A drag to the left moves on in time; the wheel zooms about the mouse.
        window.showAll();
        window.zoomIn();
        const double before = window.shown().from();
        QWidget* lanes = window.lanes();
        const QPoint middle = lanes->rect().center();
        QTest::mousePress(lanes, Qt::LeftButton, {}, middle);
        QTest::mouseMove(lanes, middle - QPoint(100, 0));
        QTest::mouseRelease(lanes, Qt::LeftButton, {}, middle - QPoint(100, 0));
        QVERIFY(window.shown().from() > before);
        const double under = window.lanes()->secondsAtX(middle.x());
        const double width = window.shown().width();
        QWheelEvent wheel(middle, lanes->mapToGlobal(middle), {}, QPoint(0, 120), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(lanes, &wheel);
        QVERIFY(window.shown().width() < width);
        QVERIFY(std::abs(window.lanes()->secondsAtX(middle.x()) - under) < 0.5);
        QVERIFY(window.shown().from() >= 0.0 && window.shown().to() <= 600.0);
    }

    void columnsComeAndGoFromTheLanes() {
        ui::DriveLogWindow window(handWrittenLog(), QStringLiteral("drive.tsv"));
        window.chooseColumns({4, 3});  // VALF; LAM2 has nothing to draw
        QCOMPARE(window.chosenColumns(), std::vector<std::size_t>{4});
        QCOMPARE(laneTitles(window).size(), 1);
        QVERIFY(laneTitles(window).front().endsWith(QStringLiteral("(VALF)|")));
        auto* columns = window.findChild<QListWidget*>(QStringLiteral("columns"));
        columns->item(0)->setCheckState(Qt::Checked);
        QCOMPARE(window.chosenColumns(), (std::vector<std::size_t>{0, 4}));
        QCOMPARE(window.lanes()->lanes().size(), std::size_t{2});
        QCOMPARE(window.lanes()->lanes()[0].points.front().value, 80.0);
    }

    void aLogWithoutRowsOpensEmpty() {
        review::ReadError error;
        std::optional<review::DriveLogTable> log =
            review::readDriveLog("Time\tFREQ\ns\tоб/мин\n", error);
        QVERIFY(log.has_value());
        ui::DriveLogWindow window(std::move(*log), QStringLiteral("empty.tsv"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.chosenColumns().empty());
        window.zoomIn();
        window.panBy(-10);
        QVERIFY(window.shown().from() >= window.shown().logFrom());
        QVERIFY(window.shown().to() <= window.shown().logTo());
        QVERIFY(!window.lanes()->grab().isNull());
    }

    void aDumpListsItsReportsAndShowsTheChosenOne() {
        ui::TesterDumpWindow window(readDump(handWrittenDump()),
                                    QStringLiteral("/tmp/zorafil.tdm"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.windowTitle().contains(QStringLiteral("zorafil.tdm")));
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("entries"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(0),
                 QStringLiteral("Состояние внутренних переменых ЭБУ."));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("06.02.2024 09:05:00"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("ГАЗ 3110"));
        QCOMPARE(list->topLevelItem(1)->text(0),
                 QStringLiteral("Результаты теста механических потерь."));
        QCOMPARE(window.currentEntry(), 0);
        QVERIFY(window.shownText().contains(QStringLiteral("(TWAT):\t\t90\tград. С.")));
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(window.currentEntry(), 1);
        QVERIFY(window.shownText().contains(QStringLiteral("Длительность торможения:\t2.5000")));
        QVERIFY(!window.shownText().contains(QStringLiteral("TWAT")));
        QVERIFY(window.findChild<QPlainTextEdit*>(QStringLiteral("text"))->isReadOnly());
        QVERIFY(window.printTitle().contains(QStringLiteral("механических потерь")));
    }

    void theListShowsTheCommentsUncutWhenTheWindowHasRoom() {
        review::DumpEntry entry;
        entry.title = "Отчёт.";
        entry.date = "Mon Feb  6 09:05:00 2024";
        entry.comment = "после замены свечей";
        ui::TesterDumpWindow window({entry, entry}, QStringLiteral("z.tdm"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto* list = window.findChild<QTreeWidget*>(QStringLiteral("entries"));
        const int commentEnd =
            list->header()->sectionViewportPosition(2) +
            list->fontMetrics().horizontalAdvance(QString::fromStdString(entry.comment));
        QVERIFY2(
            commentEnd < list->viewport()->width(),
            qPrintable(QStringLiteral("%1 of %2").arg(commentEnd).arg(list->viewport()->width())));
        QVERIFY(list->width() <= window.width() / 2);
    }

    void aStateReportPrintsAsATable() {
        const QImage image = a4Image();
        const QRectF area(100, 100, 1040, 1554);
        const ui::ReportPages pages(readDump(handWrittenDump()).front(), QStringLiteral("z.tdm"),
                                    image, area);
        QCOMPARE(pages.pages().size(), std::size_t{1});
        const ui::ReportPages::Page& page = pages.pages().front();
        const auto find = [&page](const QString& text) {
            return std::find_if(page.begin(), page.end(),
                                [&](const auto& item) { return item.text == text; });
        };
        QVERIFY(find(QStringLiteral("Состояние внутренних переменых ЭБУ.")) != page.end());
        QVERIFY(find(QStringLiteral("Комментарий: ГАЗ 3110")) != page.end());
        // Name, value and unit side by side on one row, left to right.
        const auto name = find(QStringLiteral("Скорость вращения двигателя (FREQ)"));
        const auto value = find(QStringLiteral("800"));
        const auto unit = find(QStringLiteral("об./мин."));
        QVERIFY(name != page.end() && value != page.end() && unit != page.end());
        QCOMPARE(name->box.top(), value->box.top());
        QCOMPARE(value->box.top(), unit->box.top());
        QVERIFY(name->box.right() <= value->box.left() && value->box.right() <= unit->box.left());
        QCOMPARE(find(QStringLiteral("Признаки"))->style, ui::ReportPages::Style::heading);
        for (const auto& item : page) {
            QVERIFY(item.box.left() >= area.left() && item.box.right() <= area.right());
            QVERIFY(item.box.top() >= area.top() && item.box.bottom() <= area.bottom());
        }
        QCOMPARE(page.back().text, QStringLiteral("z.tdm — стр. 1 из 1"));

        QImage drawn = image;
        QPainter painter(&drawn);
        pages.paint(painter, 0);
        painter.end();
        // Ink where the row was laid out, none beside the printable area.
        QVERIFY(drawn.copy(name->box.toRect()) != image.copy(name->box.toRect()));
        QCOMPARE(drawn.copy(0, 0, 90, 1754), image.copy(0, 0, 90, 1754));
    }

    void aLongReportGoesOnOverPagesWithItsTableHead() {
        const QImage image = a4Image();
        const QRectF area(100, 100, 1040, 1554);
        const ui::ReportPages pages(longStateReport(120), QStringLiteral("z.tdm"), image, area);
        QVERIFY(pages.pages().size() >= 2);
        int rows = 0;
        for (std::size_t at = 0; at < pages.pages().size(); ++at) {
            const ui::ReportPages::Page& page = pages.pages()[at];
            QVERIFY(std::any_of(page.begin(), page.end(), [](const auto& item) {
                return item.text == QStringLiteral("Параметр");
            }));
            for (const auto& item : page) {
                QVERIFY(item.box.bottom() <= area.bottom() + 0.5);
                rows += item.text.startsWith(QStringLiteral("Значение ")) ? 1 : 0;
            }
            QCOMPARE(page.back().text,
                     QStringLiteral("z.tdm — стр. %1 из %2").arg(at + 1).arg(pages.pages().size()));
        }
        QCOMPARE(rows, 120);
    }

    void thePrintedReportIsAPdfOfItsPages() {
        std::vector<review::DumpEntry> entries = readDump(handWrittenDump());
        entries.push_back(longStateReport(120));
        ui::TesterDumpWindow window(std::move(entries), QStringLiteral("zorafil.tdm"));
        window.showEntry(2);
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(window.printTitle());
        const std::size_t expected =
            ui::ReportPages(longStateReport(120), QStringLiteral("zorafil.tdm"), writer,
                            ui::printableArea(writer))
                .pages()
                .size();
        QVERIFY(expected >= 2);
        window.paintPages(writer);
        const QByteArray bytes = pdf.data();
        QVERIFY(bytes.startsWith("%PDF"));
        // One page object for each page laid out ("/Type /Pages" is their list).
        QCOMPARE(static_cast<std::size_t>(bytes.count("/Type /Page") - bytes.count("/Type /Pages")),
                 expected);
    }
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ReviewWindowsTest)
#include "review_windows_test.moc"
