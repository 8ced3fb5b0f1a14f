#include "ui/help_window.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace ecuprobe::ui {

namespace {

// The manual installed beside the program, where a person finds it too (the
// Windows folder); the copy built into the program where there is none.
QUrl manualUrl() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/manual.html");
    return QFileInfo::exists(beside) ? QUrl::fromLocalFile(beside)
                                     : QUrl(QStringLiteral("qrc:/help/manual.html"));
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent, const QString& section) : QDialog(parent) {
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("ECUPROBE — справка"));
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("manual"));
    browser->setOpenExternalLinks(true);
    browser->setSource(manualUrl());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.lineSpacing() * 36);
    if (!section.isEmpty()) {
        // Once shown: the heading's place depends on the width the text is laid out to.
        QTimer::singleShot(0, browser, [browser, section] { browser->scrollToAnchor(section); });
    }
}

}  // namespace ecuprobe::ui
