#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace ecuprobe::ui {

// What opening saved files gave: the windows to show, or why nothing opened.
struct OpenedFiles {
    std::vector<QWidget*> windows;  // built with the parent given, not shown yet
    QStringList opened;             // the files the windows show, for the recent list
    // Why nothing opened: a file that is none of the tester's, cut short or damaged
    // (with its line), or runs that cannot be put side by side.
    QString refusal;
};

// Reads the files (a sample file, a drive log or a tester dump each, told by its
// lines whatever its name) and builds their windows: all sample files together
// in one comparison, each log and each dump in a window of its own. A file that
// cannot be read opens nothing at all. Files are only read.
OpenedFiles openSavedFiles(const QStringList& paths, QWidget* parent);

}  // namespace ecuprobe::ui
