#include "ui/save_filter.h"

#include "ui/qt_text.h"

namespace ecuprobe::ui {

namespace {

QString qtPatterns(const QString& windowsPatterns) {
    QStringList patterns = windowsPatterns.split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
        pattern = pattern.trimmed();
        if (pattern == QStringLiteral("*.*")) {
            pattern = QStringLiteral("*");
        }
    }
    return patterns.join(u' ');
}

QString qtFilter(QString description, const QString& windowsPatterns) {
    const QString patterns = qtPatterns(windowsPatterns);
    const QString shown = QStringLiteral("(") + windowsPatterns + QStringLiteral(")");
    if (description.endsWith(shown)) {
        if (patterns == windowsPatterns) {
            return description;
        }
        description.chop(shown.size());
    }
    return description.trimmed() + QStringLiteral(" (") + patterns + QStringLiteral(")");
}

}  // namespace

QStringList qtNameFilters(std::string_view windowsFilter) {
    const QStringList parts = toQString(windowsFilter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        filters.append(qtFilter(parts[i], parts[i + 1]));
    }
    return filters;
}

}  // namespace ecuprobe::ui
