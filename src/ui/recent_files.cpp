#include "ui/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace ecuprobe::ui {

namespace {

const char* const recentKey = "recentFiles";

// One file under one name, however it was reached.
QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

}  // namespace

QStringList RecentFiles::paths() const {
    return QSettings().value(recentKey).toStringList().mid(0, maxCount);
}

void RecentFiles::add(const QString& path) {
    const QString file = canonical(path);
    QStringList list = paths();
    list.removeAll(file);
    list.prepend(file);
    keep(list.mid(0, maxCount));
}

void RecentFiles::remove(const QString& path) {
    QStringList list = paths();
    list.removeAll(path);
    keep(list);
}

void RecentFiles::keep(const QStringList& list) {
    QSettings().setValue(recentKey, list);
}

}  // namespace ecuprobe::ui
