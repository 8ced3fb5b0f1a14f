#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

class QImage;

namespace ecuprobe::app {

// Where the screenshot tours save their pictures, and which: every picture
// under its own name, or only those chosen, each under a prefix
// ("windows_console.png" for the Windows run).
class PictureFolder {
public:
    explicit PictureFolder(QDir folder, QString prefix = {}, QStringList chosen = {});

    bool wants(const char* name) const;
    // Saves the picture when it is wanted, naming the file on stdout; false
    // only when a wanted picture could not be written.
    bool save(const QImage& picture, const char* name) const;

private:
    QDir folder;
    QString prefix;
    QStringList chosen;
};

}  // namespace ecuprobe::app
