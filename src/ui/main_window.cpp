#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <iostream>

#include "ecu/hand_back.h"
#include "ecu/owed_store.h"
#include "ui/about_box.h"
#include "ui/com_port_devices.h"
#include "ui/connection_window.h"
#include "ui/help_window.h"
#include "ui/key_indicators.h"
#include "ui/qt_text.h"
#include "ui/saved_file_commands.h"
#include "ui/start_panel.h"

namespace ecuprobe::ui {

namespace {

const char* const geometryKey = "mainWindow/geometry";
const char* const stateKey = "mainWindow/state";

// A dialog shown window-modal over the main window and dropped when closed.
void openOwned(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// The local files among what was dragged over the window.
QStringList droppedFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

}  // namespace

MainWindow::MainWindow(ConsoleOptions consoleOptions) : options(std::move(consoleOptions)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("GAZ(MIKAS) - ECUPROBE"));
    auto* view = new QWidget(this);
    view->setObjectName(QStringLiteral("view"));
    view->setAutoFillBackground(true);
    view->setBackgroundRole(QPalette::Base);
    startPanel = new StartPanel(view);
    connect(startPanel, &StartPanel::startRequested, this, &MainWindow::openConsole);
    (new QVBoxLayout(view))->addWidget(startPanel);
    setCentralWidget(view);
    setAcceptDrops(true);
    showStartPort();
    buildFileMenu();
    buildEditAndViewMenus();
    buildTestAndHelpMenus();
    buildToolBar();
    buildStatusBar();
    const QSettings settings;
    if (!restoreGeometry(settings.value(geometryKey).toByteArray())) {
        resize(640, 420);
    }
    restoreState(settings.value(stateKey).toByteArray());
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addAction(QMenu* menu, const char* name, const QString& text,
                               const QString& tip) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(tip);
    action->setWhatsThis(tip);
    return action;
}

void MainWindow::addInertItems(QMenu* menu, std::span<const InertItem> items) {
    for (const InertItem& item : items) {
        if (item.separatorBefore) {
            menu->addSeparator();
        }
        QAction* action =
            addAction(menu, item.name, QString::fromUtf8(item.text), QString::fromUtf8(item.tip));
        action->setShortcuts(item.key);
        action->setEnabled(false);
    }
}

void MainWindow::buildFileMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    files = new SavedFileCommands(this);
    // The saved files are only read: there is nothing to create or save.
    const InertItem neverSaved[] = {
        {"fileNew", "&New", "Create a new document", QKeySequence::New, false},
    };
    addInertItems(file, neverSaved);
    file->addAction(files->openAction());
    const InertItem notSaved[] = {
        {"fileSave", "&Save", "Save the active document", QKeySequence::Save, false},
        {"fileSaveAs", "Save &As...", "Save the active document with a new name",
         QKeySequence::UnknownKey, false},
    };
    addInertItems(file, notSaved);
    file->addSeparator();
    file->addActions({files->printAction(), files->previewAction(), files->pdfAction()});
    // Qt's print dialog chooses the printer and its options when printing.
    const InertItem setup[] = {
        {"filePrintSetup", "P&rint Setup...", "Change the printer and printing options",
         QKeySequence::UnknownKey, false},
    };
    addInertItems(file, setup);
    file->addSeparator();
    files->addRecentItems(file);
    file->addSeparator();
    QAction* exit = addAction(file, "fileExit", QStringLiteral("E&xit"),
                              QStringLiteral("Quit the application"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void MainWindow::openFiles(const QStringList& paths) {
    files->openFiles(paths);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedFiles(event->mimeData());
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        files->openFiles(paths);
    }
}

void MainWindow::buildEditAndViewMenus() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    // Nothing in this window can be edited.
    const InertItem items[] = {
        {"editUndo", "&Undo", "Undo the last action", QKeySequence::Undo, false},
        {"editCut", "Cu&t", "Cut the selection and put it on the Clipboard", QKeySequence::Cut,
         true},
        {"editCopy", "&Copy", "Copy the selection and put it on the Clipboard", QKeySequence::Copy,
         false},
        {"editPaste", "&Paste", "Insert Clipboard contents", QKeySequence::Paste, false},
    };
    addInertItems(edit, items);
    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    tools = new QToolBar(QStringLiteral("Toolbar"), this);
    tools->setObjectName(QStringLiteral("toolbar"));
    QAction* toolbarItem = tools->toggleViewAction();
    toolbarItem->setObjectName(QStringLiteral("viewToolbar"));
    toolbarItem->setText(QStringLiteral("&Toolbar"));
    toolbarItem->setStatusTip(QStringLiteral("Show or hide the toolbar"));
    viewMenu->addAction(toolbarItem);
    QAction* statusItem = addAction(viewMenu, "viewStatusBar", QStringLiteral("&Status Bar"),
                                    QStringLiteral("Show or hide the status bar"));
    statusItem->setCheckable(true);
    statusItem->setChecked(true);
    connect(statusItem, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void MainWindow::buildTestAndHelpMenus() {
    const QString startTip = QStringLiteral("Начать тестирование");
    QMenu* test = menuBar()->addMenu(QStringLiteral("&Начать тестирование"));
    startAction = addAction(test, "startTest", QStringLiteral("&StartTest"), startTip);
    QAction* startAgain =
        addAction(test, "startTesting", QStringLiteral("&Начать Тестирование"), startTip);
    startAction->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    // Beside the menu's Cyrillic mnemonic, which needs the Russian keyboard layout.
    startAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    for (QAction* start : {startAction, startAgain}) {
        connect(start, &QAction::triggered, this, &MainWindow::openConsole);
    }
    QMenu* help = menuBar()->addMenu(QStringLiteral("&? Помощь"));
    QAction* topics = addAction(help, "helpTopics", QStringLiteral("&Help Topics (Содержание)"),
                                QStringLiteral("List Help topics"));
    topics->setShortcut(QKeySequence::HelpContents);
    connect(topics, &QAction::triggered, this, &MainWindow::showHelp);
    schemeAction =
        addAction(help, "connectionScheme", QStringLiteral("Схема K-Line <-> RS-232 (ПК <-> ЭБУ)"),
                  QStringLiteral("Показать схему подключения к ПК"));
    schemeAction->setToolTip(QStringLiteral("Схема подключения к ПК"));
    schemeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    schemeAction->setIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    connect(schemeAction, &QAction::triggered, this, &MainWindow::showConnection);
    help->addSeparator();
    aboutAction = addAction(help, "about", QStringLiteral("&About ECUPROBE..."),
                            QStringLiteral("Display program information, version number and "
                                           "copyright"));
    aboutAction->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    contextHelpAction = QWhatsThis::createAction(this);
    contextHelpAction->setObjectName(QStringLiteral("contextHelp"));
}

void MainWindow::buildToolBar() {
    // Qt's own style has no pictures for editing and printing; where the desktop's
    // icon theme has none either, those buttons show their names.
    const auto item = [this](const char* name, const char* theme) {
        QAction* action = findChild<QAction*>(QLatin1String(name));
        action->setIcon(QIcon::fromTheme(QLatin1String(theme)));
        tools->addAction(action);
    };
    const auto styled = [this](const char* name, QStyle::StandardPixmap picture) {
        QAction* action = findChild<QAction*>(QLatin1String(name));
        action->setIcon(style()->standardIcon(picture));
        tools->addAction(action);
    };
    styled("fileNew", QStyle::SP_FileIcon);
    styled("fileOpen", QStyle::SP_DialogOpenButton);
    styled("fileSave", QStyle::SP_DialogSaveButton);
    tools->addSeparator();
    item("editCut", "edit-cut");
    item("editCopy", "edit-copy");
    item("editPaste", "edit-paste");
    tools->addSeparator();
    item("filePrint", "document-print");
    tools->addSeparator();
    tools->addAction(aboutAction);
    tools->addAction(contextHelpAction);
    tools->addSeparator();
    tools->addAction(startAction);
    tools->addSeparator();
    tools->addAction(schemeAction);
    addToolBar(tools);
}

void MainWindow::buildStatusBar() {
    auto* ready = new QLabel(QStringLiteral("Ready"), this);
    statusBar()->addWidget(ready, 1);
    linkLine = new QLabel(this);
    linkLine->setObjectName(QStringLiteral("linkLine"));
    statusBar()->addPermanentWidget(linkLine);
    statusBar()->addPermanentWidget(new KeyIndicators(this));
}

void MainWindow::openConsole() {
    if (tester) {
        tester->raise();
        tester->activateWindow();
        return;
    }
    tester = new TesterWindow(options, this);
    tester->setAttribute(Qt::WA_DeleteOnClose);
    tester->setWindowModality(Qt::ApplicationModal);
    connect(tester, &TesterWindow::consoleClosed, this, &MainWindow::consoleFinished);
    connect(tester, &TesterWindow::linkStatusChanged, linkLine, &QLabel::setText);
    connect(tester, &TesterWindow::portMapped, this, [this](int slot, const QString& path) {
        options.ports.setPath(slot, path.toStdString());
        showStartPort();
    });
    tester->show();
}

// The console may have taken another slot, and the adapter may have come or gone.
void MainWindow::showStartPort() {
    const std::vector<platform::SerialDeviceInfo> devices =
        options.findDevices ? options.findDevices() : std::vector<platform::SerialDeviceInfo>{};
    const std::optional<int> slot = options.comSlot ? options.comSlot : keptComSlot();
    startPanel->showPort(slot, options.ports, devices, options.simulatedSlot);
    const int shown = slot.value_or(0);
    const ecu::OwedControls owed = ecu::owedStore().peek(options.ports.path(shown));
    startPanel->showOwed(
        QString::fromStdString(ecu::owedBeforeConnection(owed, "COM" + std::to_string(shown + 1))));
}

void MainWindow::consoleFinished(const QString& warning, const QString& note) {
    linkLine->clear();
    showStartPort();
    if (!note.isEmpty()) {
        statusBar()->showMessage(note);
        if (unattended) {
            std::cerr << "ecuprobe: " << note.toStdString() << '\n';
        }
    }
    const auto goOn = [this] {
        if (quitting) {
            // After the console's own close has run.
            QTimer::singleShot(0, this, &QWidget::close);
        }
    };
    if (warning.isEmpty()) {
        goOn();
    } else if (unattended) {
        std::cerr << "ecuprobe: " << warning.toStdString() << '\n';
        goOn();
    } else {
        auto* box = new QMessageBox(QMessageBox::Warning, toQString(ecu::owedWarningTitle), warning,
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("handBackWarning"));
        connect(box, &QDialog::finished, this, goOn);
        openOwned(box);
    }
}

void MainWindow::showConnection() {
    openOwned(new ConnectionWindow(this));
}

void MainWindow::showAbout() {
    openOwned(new AboutBox(this));
}

void MainWindow::showHelp() {
    auto* help = new HelpWindow(this);
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->show();
}

void MainWindow::closeUnattended() {
    unattended = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (tester && !tester->isLinkClosed()) {
        // The console hands back on its link thread first; this window closes after.
        event->ignore();
        quitting = true;
        tester->close();
        return;
    }
    QSettings settings;
    settings.setValue(geometryKey, saveGeometry());
    settings.setValue(stateKey, saveState());
    event->accept();
}

}  // namespace ecuprobe::ui
