#include "ui/fault_decoding_dialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

#include "console/panel_controls.h"
#include "ui/console_form.h"
#include "ui/dialog_fields.h"

namespace ecuprobe::ui {

namespace {

// Wide enough for the longest line where the screen allows, else the lines
// wrap: a fault's text cut at the edge would hide what is wrong.
QSize wholeLinesSize(const QPlainTextEdit& text, const QString& shown, const QScreen* screen) {
    const QFontMetrics metrics(text.font());
    int widest = metrics.horizontalAdvance(QLatin1Char('x')) * 80;
    const QStringList lines = shown.split(u'\n');
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const int frame = 2 * text.frameWidth() + text.verticalScrollBar()->sizeHint().width() +
                      2 * static_cast<int>(text.document()->documentMargin()) + 24;
    const int tall = metrics.lineSpacing() * std::max(14, static_cast<int>(lines.size()) + 2);
    QSize wanted(widest + frame, tall + 2 * text.frameWidth());
    if (screen != nullptr) {
        // Room for the title bar, a taskbar and the button row.
        const QSize room = screen->availableGeometry().size() - QSize(40, 140);
        wanted = wanted.boundedTo(room);
    }
    return wanted;
}

}  // namespace

FaultDecodingDialog::FaultDecodingDialog(const std::string& decoded, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("faultDecoding"));
    setWindowTitle(QStringLiteral("Расшифровка кодов неисправностей"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(controlName(console::control::faultText));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    const QString shown = shownLines(decoded);
    text->setPlainText(shown);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    const QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
    text->setMinimumSize(wholeLinesSize(*text, shown, screen));
    resize(sizeHint());
    text->setMinimumSize(0, 0);
}

}  // namespace ecuprobe::ui
