#pragma once

#include <QString>
#include <QStringList>

namespace ecuprobe::ui {

// The files opened last, newest first, kept in the settings between starts.
class RecentFiles {
public:
    static constexpr int maxCount = 4;

    QStringList paths() const;
    // Puts the file first; the oldest beyond maxCount falls off.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void keep(const QStringList& paths);
};

}  // namespace ecuprobe::ui
