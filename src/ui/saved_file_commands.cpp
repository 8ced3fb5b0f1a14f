#include "ui/saved_file_commands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include <algorithm>

#include "ui/print_output.h"
#include "ui/printable_view.h"
#include "ui/saved_file_opener.h"

namespace ecuprobe::ui {

namespace {

const QString errorCaption = QStringLiteral("Ошибка исполнения");
const QString noteCaption = QStringLiteral("Открытие файлов");

QAction* item(QObject* owner, const char* name, const QString& text, const QString& tip) {
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(tip);
    action->setWhatsThis(tip);
    return action;
}

void tell(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    auto* box = new QMessageBox(icon, icon == QMessageBox::Information ? noteCaption : errorCaption,
                                text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("savedFileMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace

SavedFileCommands::SavedFileCommands(QWidget* mainWindow)
    : QObject(mainWindow),
      owner(mainWindow),
      open(item(this, "fileOpen", QStringLiteral("&Open..."),
                QStringLiteral("Open an existing document"))),
      print(item(this, "filePrint", QStringLiteral("&Print..."),
                 QStringLiteral("Print the active document"))),
      preview(item(this, "filePrintPreview", QStringLiteral("Print Pre&view"),
                   QStringLiteral("Display full pages"))),
      pdf(item(this, "fileExportPdf", QStringLiteral("Экспорт в PDF"),
               QStringLiteral("Записать активный документ в файл PDF"))) {
    open->setShortcuts(QKeySequence::Open);
    print->setShortcuts(QKeySequence::Print);
    connect(open, &QAction::triggered, this, &SavedFileCommands::askAndOpen);
    connect(print, &QAction::triggered, this, [this] { printView(active, owner); });
    connect(preview, &QAction::triggered, this, [this] { previewView(active, owner); });
    connect(pdf, &QAction::triggered, this, [this] { exportViewToPdf(active, owner); });
    connect(qApp, &QApplication::focusChanged, this, &SavedFileCommands::windowActivated);
    updateActions();
}

void SavedFileCommands::addRecentItems(QMenu* file) {
    noRecent = item(this, "fileRecent", QStringLiteral("Recent File"),
                    QStringLiteral("Open this document"));
    noRecent->setEnabled(false);
    file->addAction(noRecent);
    for (int i = 0; i < RecentFiles::maxCount; ++i) {
        QAction* entry = item(this, "", QString(), QStringLiteral("Open this document"));
        entry->setObjectName(QStringLiteral("fileRecent%1").arg(i + 1));
        connect(entry, &QAction::triggered, this,
                [this, entry] { openRecent(entry->data().toString()); });
        file->addAction(entry);
        recentItems.push_back(entry);
    }
    // Another ecuprobe may have opened files since.
    connect(file, &QMenu::aboutToShow, this, &SavedFileCommands::updateRecentItems);
    updateRecentItems();
}

void SavedFileCommands::updateRecentItems() {
    const QStringList paths = recent.paths();
    if (noRecent != nullptr) {
        noRecent->setVisible(paths.isEmpty());
    }
    for (std::size_t i = 0; i < recentItems.size(); ++i) {
        QAction* entry = recentItems[i];
        const auto index = static_cast<qsizetype>(i);
        entry->setVisible(index < paths.size());
        if (index < paths.size()) {
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(
                QDir::toNativeSeparators(paths[index]).replace(u'&', QStringLiteral("&&"))));
            entry->setData(paths[index]);
        }
    }
}

void SavedFileCommands::askAndOpen() {
    const QStringList recentPaths = recent.paths();
    const QString folder =
        recentPaths.isEmpty() ? QDir::currentPath() : QFileInfo(recentPaths.front()).path();
    auto* dialog = new QFileDialog(owner, QStringLiteral("Открыть"), folder,
                                   QStringLiteral("Файлы тестера (*.dmp *.dma *.dmm *.tdm *.tsv);;"
                                                  "Заезды тестов (*.dmp *.dma *.dmm);;"
                                                  "Файлы дампов тестера ISO14230 (*.tdm);;"
                                                  "Логи поездки (*.tsv);;Все файлы (*)"));
    dialog->setObjectName(QStringLiteral("openFileDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Several runs chosen together open side by side.
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::filesSelected, this, &SavedFileCommands::openFiles);
    dialog->open();
}

void SavedFileCommands::openRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent.remove(path);
        updateRecentItems();
        tell(owner, QMessageBox::Warning,
             QStringLiteral("Файл не найден: %1\nОн убран из списка недавних файлов.")
                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    openFiles({path});
}

void SavedFileCommands::openFiles(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    const OpenedFiles outcome = openSavedFiles(paths, owner);
    for (QWidget* view : outcome.windows) {
        adopt(view);
    }
    for (const QString& path : outcome.opened) {
        recent.add(path);
    }
    updateRecentItems();
    if (!outcome.refusal.isEmpty()) {
        tell(owner, QMessageBox::Critical, outcome.refusal);
    }
}

void SavedFileCommands::adopt(QWidget* view) {
    view->setWindowFlag(Qt::Window);
    view->setAttribute(Qt::WA_DeleteOnClose);
    connect(view, &QObject::destroyed, this, &SavedFileCommands::viewGone);
    views.emplace_back(view);
    active = view;
    view->show();
    view->raise();
    view->activateWindow();
    updateActions();
}

void SavedFileCommands::viewGone(QObject* view) {
    std::erase_if(views, [view](const QPointer<QWidget>& kept) {
        return kept.isNull() || static_cast<QObject*>(kept.data()) == view;
    });
    if (active.isNull() || static_cast<QObject*>(active.data()) == view) {
        active = views.empty() ? nullptr : views.back().data();
    }
    updateActions();
}

// The print items follow the review window the person last worked in; going
// back to the main window for the menu keeps it.
void SavedFileCommands::windowActivated() {
    const QWidget* window = QApplication::activeWindow();
    for (const QPointer<QWidget>& view : views) {
        if (view == window) {
            active = view;
            updateActions();
            return;
        }
    }
}

void SavedFileCommands::updateActions() {
    const bool printable = dynamic_cast<const PrintableView*>(active.data()) != nullptr;
    for (QAction* action : {print, preview, pdf}) {
        action->setEnabled(printable);
    }
}

}  // namespace ecuprobe::ui
