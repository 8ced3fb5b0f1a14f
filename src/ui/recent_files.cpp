#include "ui/recent_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace ecuprobe::ui {

namespace {

const char* const listGroup = "Recent File List";

// On Windows the list sits where the original program kept its own, so that it
// is found there: HKCU\Software\Local AppWizard-Generated Applications\ECUPROBE
// (registry keys ignore case); elsewhere among the program's settings.
std::unique_ptr<QSettings> listStore() {
#ifdef _WIN32
    auto store =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                    QStringLiteral("Local AppWizard-Generated Applications"),
                                    QCoreApplication::applicationName());
#else
    auto store = std::make_unique<QSettings>();
#endif
    store->beginGroup(QLatin1String(listGroup));
    return store;
}

QString entryKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

// One file under one name, however it was reached.
QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

}  // namespace

QStringList RecentFiles::paths() const {
    const std::unique_ptr<QSettings> store = listStore();
    QStringList list;
    for (int i = 0; i < maxCount; ++i) {
        const QString path = store->value(entryKey(i)).toString();
        if (!path.isEmpty()) {
            list.append(QDir::fromNativeSeparators(path));
        }
    }
    return list;
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

// File1..File4, in the system's own spelling of a path.
void RecentFiles::keep(const QStringList& list) {
    const std::unique_ptr<QSettings> store = listStore();
    for (int i = 0; i < maxCount; ++i) {
        if (i < list.size()) {
            store->setValue(entryKey(i), QDir::toNativeSeparators(list[i]));
        } else {
            store->remove(entryKey(i));
        }
    }
}

}  // namespace ecuprobe::ui
