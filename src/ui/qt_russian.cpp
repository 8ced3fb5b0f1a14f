#include "ui/qt_russian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ecuprobe::ui {

bool loadQtRussian(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace ecuprobe::ui
