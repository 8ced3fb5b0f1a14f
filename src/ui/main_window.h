#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <span>

#include "ui/tester_window.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace ecuprobe::ui {

class SavedFileCommands;
class StartPanel;

// The main window: a frame with a start panel, whose menu and toolbar open the tester
// console, the connection scheme, the help and the About box, and open saved runs,
// logs and dumps (also dropped on it) to look back at and print. The items of a
// document framework that have nothing to act on here are shown disabled.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(ConsoleOptions consoleOptions);
    ~MainWindow() override;

    // The open console; null while none is open.
    TesterWindow* console() const { return tester; }
    // Closes like the close box, with any hand-back warning going to stderr
    // instead of a box nobody would answer: for a stop signal.
    void closeUnattended();

    void openConsole();
    void showConnection();
    void showAbout();
    void showHelp();
    // Saved files to read back: from the command line, a drop or the File menu.
    void openFiles(const QStringList& paths);
    SavedFileCommands* savedFiles() const { return files; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // A menu item of the document framework that has nothing to act on here.
    struct InertItem {
        const char* name;
        const char* text;
        const char* tip;
        QKeySequence::StandardKey key;
        bool separatorBefore;
    };

    void addInertItems(QMenu* menu, std::span<const InertItem> items);
    QAction* addAction(QMenu* menu, const char* name, const QString& text, const QString& tip);
    void buildFileMenu();
    void buildEditAndViewMenus();
    void buildTestAndHelpMenus();
    void buildToolBar();
    void buildStatusBar();
    void consoleFinished(const QString& warning, const QString& note);
    void showStartPort();

    ConsoleOptions options;
    QPointer<TesterWindow> tester;
    StartPanel* startPanel = nullptr;
    SavedFileCommands* files = nullptr;
    QToolBar* tools = nullptr;
    QLabel* linkLine = nullptr;
    QAction* startAction = nullptr;
    QAction* schemeAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* contextHelpAction = nullptr;
    bool quitting = false;
    bool unattended = false;
};

}  // namespace ecuprobe::ui
