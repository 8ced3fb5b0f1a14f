#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <vector>

#include "ui/recent_files.h"

class QAction;
class QMenu;
class QWidget;

namespace ecuprobe::ui {

// The File menu's work on saved files: Open, the recent files, and Print, Print
// Preview and "Экспорт в PDF" of the review window last active. The windows
// opened belong to the main window; the files are only ever read.
class SavedFileCommands final : public QObject {
    Q_OBJECT

public:
    explicit SavedFileCommands(QWidget* mainWindow);

    QAction* openAction() const { return open; }
    QAction* printAction() const { return print; }
    QAction* previewAction() const { return preview; }
    QAction* pdfAction() const { return pdf; }
    // "Recent File" while the list is empty, else the files, numbered; kept up to
    // date from here on.
    void addRecentItems(QMenu* file);

    // Opens the files: from the Open dialog, the recent list, a drop or the
    // command line. What cannot be opened is told in a message box.
    void openFiles(const QStringList& paths);
    // The review window the print items act on; null when none is open.
    QWidget* activeView() const { return active; }

private:
    void askAndOpen();
    void openRecent(const QString& path);
    void adopt(QWidget* view);
    void viewGone(QObject* view);
    void windowActivated();
    void updateActions();
    void updateRecentItems();

    QWidget* owner;
    QAction* open;
    QAction* print;
    QAction* preview;
    QAction* pdf;
    QAction* noRecent = nullptr;
    std::vector<QAction*> recentItems;
    RecentFiles recent;
    std::vector<QPointer<QWidget>> views;
    QPointer<QWidget> active;
};

}  // namespace ecuprobe::ui
