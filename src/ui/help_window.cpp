#include "ui/help_window.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace ecuprobe::ui {

HelpWindow::HelpWindow(QWidget* parent, const QString& section) : QDialog(parent) {
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("ECUPROBE — справка"));
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("manual"));
    browser->setOpenExternalLinks(true);
    browser->setSource(QUrl(QStringLiteral("qrc:/help/manual.html")));
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
