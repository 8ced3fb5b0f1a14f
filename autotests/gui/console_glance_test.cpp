#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include <memory>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/help_window.h"

namespace ecuprobe::gui_testing {

namespace control = console::control;

// What a person reads off the console at a glance, and the keys that must not
// surprise: Enter, Escape and F1.
class ConsoleGlanceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        line = std::make_unique<SimulatedLine>();
        console = showConsole(fastConsole(*line));
        log = std::make_unique<ReportLog>(console->link());
        QVERIFY(waitFor([this] { return !log->empty(); }));
    }

    void cleanup() {
        log.reset();
        if (console) {
            QVERIFY(closeConsole(console));
        }
        line.reset();
    }

    void escapeAsksBeforeEndingARunningSession() {
        QVERIFY(startConnected(*console, *log));
        QTest::keyClick(console, Qt::Key_Escape);
        QMessageBox* question = endQuestion();
        QVERIFY(question != nullptr);
        QCOMPARE(static_cast<QAbstractButton*>(question->defaultButton()),
                 question->button(QMessageBox::No));
        question->button(QMessageBox::No)->click();
        const int ticks = log->ticks();
        QVERIFY(waitFor([this, ticks] { return log->ticks() > ticks + 2; }));
        QVERIFY(console->isVisible());
        QTest::keyClick(console, Qt::Key_Escape);
        QVERIFY(endQuestion() != nullptr);
        endQuestion()->button(QMessageBox::Yes)->click();
        QVERIFY(waitFor([this] { return console.isNull(); }));
    }

    void enterAfterStartOpensNoTest() {
        QVERIFY(startConnected(*console, *log));
        QWidget* dynamic = console->form().control(control::dynamicTest);
        dynamic->setFocus();
        QTest::keyClick(dynamic, Qt::Key_Return);
        QTest::keyClick(console, Qt::Key_Enter);
        QTest::qWait(100);
        QVERIFY(console->findChild<ui::MeasuredDialog*>() == nullptr);
    }

    void f1OpensTheManualAtTheConsole() {
        QTest::keyClick(console, Qt::Key_F1);
        auto* help = waitForWindow<ui::HelpWindow>();
        QVERIFY(help != nullptr);
        auto* manual = help->findChild<QTextBrowser*>();
        QVERIFY(waitFor([manual] { return manual->verticalScrollBar()->value() > 0; }));
        const QString top = manual->cursorForPosition(QPoint(4, 4)).block().text();
        QVERIFY2(top.contains(QStringLiteral("Консоль «Тестер»")), qPrintable(top));
        help->close();
    }

    void lostLinkGreysTheValuesAndBlanksTheFaultCount() {
        line->ecu().setStoredFaults({{13, 0x20}});
        QVERIFY(startConnected(*console, *log));
        QVERIFY(waitFor([this] { return field(control::faultCount)->text() == "1"; }));
        const QColor normal = field(control::TWAT)->palette().color(QPalette::Text);
        QLabel* note = console->findChild<QLabel*>(QStringLiteral("staleNote"));
        QVERIFY(!note->isVisible());

        line->ecu().setSilent(true);
        QVERIFY(waitFor([this] { return !log->last().status.ecuAnswering; }));
        QVERIFY(field(control::faultCount)->text().isEmpty());
        QVERIFY(field(control::TWAT)->palette().color(QPalette::Text) != normal);
        QVERIFY(!field(control::TWAT)->text().isEmpty());
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().startsWith(QStringLiteral("Нет связи с ЭБУ: значения последнего "
                                                        "опроса в ")),
                 qPrintable(note->text()));

        line->ecu().setSilent(false);
        QVERIFY(waitFor([this] { return field(control::faultCount)->text() == "1"; }));
        QCOMPARE(field(control::TWAT)->palette().color(QPalette::Text), normal);
        QVERIFY(!note->isVisible());
    }

private:
    QMessageBox* endQuestion() const {
        return console->findChild<QMessageBox*>(QStringLiteral("endSessionQuestion"));
    }
    QLineEdit* field(console::ControlId id) const {
        return qobject_cast<QLineEdit*>(console->form().control(id));
    }

    std::unique_ptr<SimulatedLine> line;
    QPointer<ui::TesterWindow> console;
    std::unique_ptr<ReportLog> log;
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ConsoleGlanceTest)
#include "console_glance_test.moc"
