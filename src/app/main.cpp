#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/stop_signal_notifier.h"
#include "line/chosen_line.h"
#include "line/exit_codes.h"
#include "platform/process_files.h"
#include "project_version.h"
#include "ui/about_box.h"
#include "ui/com_port_devices.h"
#include "ui/main_window.h"
#include "ui/qt_russian.h"

int main(int argc, char** argv) {
    using namespace ecuprobe;
    if (!platform::reserveStandardDescriptors()) {
        return line::exitIoError;
    }
    app::AppOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::optional<int> status =
            app::parseAppOptions(args, options, std::cout, std::cerr)) {
        return *status;
    }
    // Qt takes no options of its own from this command line; QT_QPA_PLATFORM and
    // the like come from the environment.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    // Qt sets the C library's locale from the environment, which would make the
    // console's "%g" numbers print with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    ui::loadQtRussian(application);
    QApplication::setOrganizationName(QStringLiteral("ecuprobe"));
    QApplication::setApplicationName(QStringLiteral("ecuprobe"));
    QApplication::setApplicationVersion(QLatin1String(projectVersion));
    // The desktop entry and the icon the package installs, for the window's icon
    // and the task bar.
    QApplication::setDesktopFileName(QStringLiteral("io.github.ecuprobe.ecuprobe"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ecuprobe")));

    app::layKeptComPaths(options, ui::keptComPaths(), platform::PortMap::fromEnvironment());
    line::ChosenLine line(options.line);
    if (!line.ready()) {
        if (line.errorStream() != 0) {
            (line.errorStream() == 2 ? std::cerr : std::cout)
                << "ecuprobe: " << line.error() << std::endl;
        }
        // A refused option ends at once, as the options checked before the window
        // do: only a terminal gives them, and it has been told.
        if (line.errorExit() != line::exitUsage) {
            QMessageBox::critical(nullptr, QStringLiteral("ECUPROBE"),
                                  QString::fromStdString(line.error()));
        }
        return line.errorExit();
    }
    app::StopSignalNotifier stop;
    ui::ConsoleOptions consoleOptions{line.portMap(), app::commandLineComSlot(options), 1,
                                      [&line] { return line.traceBroken(); }, line.tracePath()};
    consoleOptions.noEcho = options.line.noEcho;
    consoleOptions.simulatedSlot = line.simulatedSlot();
    ui::MainWindow window(std::move(consoleOptions));
    QObject::connect(&stop, &app::StopSignalNotifier::stopRequested, &window,
                     [&window] { window.closeUnattended(); });
    window.show();
    if (!options.files.empty()) {
        QStringList files;
        for (const std::string& file : options.files) {
            files.append(QString::fromLocal8Bit(file));
        }
        // After the window is up, so that a file that does not open is told over it.
        QTimer::singleShot(0, &window, [&window, files] { window.openFiles(files); });
    }
    const int status = QApplication::exec();
    const int signal = app::StopSignalNotifier::signalNumber();
    return signal != 0 ? line::exitSignalBase + signal : status;
}
