#include "app/picture_folder.h"

#include <QImage>

#include <iostream>
#include <utility>

namespace ecuprobe::app {

PictureFolder::PictureFolder(QDir into, QString namePrefix, QStringList chosenNames)
    : folder(std::move(into)), prefix(std::move(namePrefix)), chosen(std::move(chosenNames)) {}

bool PictureFolder::wants(const char* name) const {
    return chosen.isEmpty() || chosen.contains(QLatin1String(name));
}

bool PictureFolder::save(const QImage& picture, const char* name) const {
    if (!wants(name)) {
        return true;
    }
    const QString path = folder.filePath(prefix + QLatin1String(name));
    if (!picture.save(path, "PNG")) {
        std::cerr << "ecuprobe-screenshots: cannot write " << path.toStdString() << '\n';
        return false;
    }
    std::cout << path.toStdString() << '\n';
    return true;
}

}  // namespace ecuprobe::app
