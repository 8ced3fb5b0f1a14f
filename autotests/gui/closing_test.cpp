#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "ui/main_window.h"

namespace ecuprobe::gui_testing {

enum class Asked { driveLogSaveAs, lambdaReset, faultClearing };
enum class Closed { console, mainWindow, stopSignal };

}  // namespace ecuprobe::gui_testing

Q_DECLARE_METATYPE(ecuprobe::gui_testing::Asked)
Q_DECLARE_METATYPE(ecuprobe::gui_testing::Closed)

namespace ecuprobe::gui_testing {

namespace control = console::control;

namespace {

const Bytes lambdaResetWrite{0x62, 0x0E, 0x10};
const Bytes faultClearWrite{0x62, 0x0E, 0x08};

bool promptShown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if ((qobject_cast<QFileDialog*>(window) != nullptr ||
             qobject_cast<QMessageBox*>(window) != nullptr) &&
            window->isVisible()) {
            return true;
        }
    }
    return false;
}

}  // namespace

// However the console goes (its close box, the main window's close, a stop
// signal), a question it has asked or is about to ask is answered Cancel, the
// write it would have led to is never sent, and control is handed back at once,
// with nobody touching the dialogs.
class ClosingTest : public ConsoleFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void init() {
        openInShell();
        QVERIFY(startConnected(*console, *log));
    }

    void cleanup() {
        // A failed row leaves its dialog: Cancel lets the hand-back end.
        for (QDialog* dialog : shell->findChildren<QDialog*>()) {
            if (dialog != console) {
                dialog->reject();
            }
        }
        QVERIFY(closeAll());
    }

    void closeCancelsTheQuestionAndHandsBackAtOnce_data() {
        QTest::addColumn<Asked>("asked");
        QTest::addColumn<bool>("shownFirst");
        QTest::addColumn<Closed>("closed");
        QTest::newRow("Save-As still to come, console closed")
            << Asked::driveLogSaveAs << false << Closed::console;
        QTest::newRow("Save-As still to come, main window closed")
            << Asked::driveLogSaveAs << false << Closed::mainWindow;
        QTest::newRow("Save-As still to come, stop signal")
            << Asked::driveLogSaveAs << false << Closed::stopSignal;
        QTest::newRow("reset question still to come, console closed")
            << Asked::lambdaReset << false << Closed::console;
        QTest::newRow("fault clearing still to come, stop signal")
            << Asked::faultClearing << false << Closed::stopSignal;
        QTest::newRow("Save-As open, main window closed")
            << Asked::driveLogSaveAs << true << Closed::mainWindow;
        QTest::newRow("reset question open, stop signal")
            << Asked::lambdaReset << true << Closed::stopSignal;
    }
    void closeCancelsTheQuestionAndHandsBackAtOnce() {
        QFETCH(Asked, asked);
        QFETCH(bool, shownFirst);
        QFETCH(Closed, closed);
        // A silent ECU's tick holds the link thread like this: the click and the
        // close both wait in its queue.
        const auto held = std::make_shared<std::atomic<bool>>(!shownFirst);
        console->link().runService([held](console::TesterPanel&, reports::UserPrompts&) {
            while (held->load()) {
                std::this_thread::yield();
            }
        });
        ask(asked);
        if (shownFirst) {
            QVERIFY(waitFor(promptShown));
        }
        close(closed);
        held->store(false);

        QVERIFY(waitFor([this] { return console.isNull(); }));
        QVERIFY(!promptShown());
        const std::vector<Bytes> sent = line->payloads();
        QCOMPARE(std::vector<Bytes>(sent.end() - 6, sent.end()), handBackPayloads());
        QCOMPARE(std::count(sent.begin(), sent.end(), lambdaResetWrite), 0);
        QCOMPARE(std::count(sent.begin(), sent.end(), faultClearWrite), 0);
    }

private:
    void ask(Asked asked) {
        switch (asked) {
            case Asked::driveLogSaveAs:
                console->form().driveLogButton->click();
                break;
            case Asked::lambdaReset:
                press(*console, control::lambdaAdaptationReset);
                break;
            case Asked::faultClearing:
                press(*console, control::clearFaults);
                break;
        }
    }

    void close(Closed closed) {
        switch (closed) {
            case Closed::console:
                console->close();
                break;
            case Closed::mainWindow:
                shell->close();
                break;
            case Closed::stopSignal:
                shell->closeUnattended();
                break;
        }
    }
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::ClosingTest)
#include "closing_test.moc"
