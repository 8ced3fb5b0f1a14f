// The window's console on a Windows COM port under Wine: wine_com_port_test.sh
// links COM5 of the Wine prefix to the pseudo-terminal of an ecu-sim, so that
// the real Win32 serial calls carry the session.
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "console/panel_controls.h"
#include "gui_support.h"
#include "line/chosen_line.h"
#include "ui/console_form.h"

namespace ecuprobe::gui_testing {

namespace control = console::control;

class WineConsoleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTests(); }

    void startReachesLiveValuesAndClosingHandsBack() {
        line::GlobalOptions options;
        options.port = "COM5";
        line::ChosenLine chosen(options);
        QVERIFY2(chosen.ready(), chosen.error().c_str());
        QPointer<ui::TesterWindow> console = showConsole(ui::ConsoleOptions{chosen.portMap(), 0});
        ReportLog log(console->link());
        QVERIFY(startConnected(*console, log));
        auto* speed = console->findChild<QLineEdit*>(ui::controlName(control::FREQ));
        QVERIFY(waitFor([speed] { return speed->text().toInt() > 0; }));
        const int ticks = log.ticks();
        QVERIFY(waitFor([&log, ticks] { return log.ticks() > ticks + 2; }));
        QVERIFY(log.last().status.ecuAnswering);
        QVERIFY(closeConsole(console));
        // Handed back with nothing owed: no warning.
        QCOMPARE(log.closings, std::vector<QString>{QString()});
    }
};

}  // namespace ecuprobe::gui_testing

QTEST_MAIN(ecuprobe::gui_testing::WineConsoleTest)
#include "wine_console_test.moc"
