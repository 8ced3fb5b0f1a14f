#include "ui/fault_decoding_dialog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "console/panel_controls.h"
#include "ui/console_form.h"
#include "ui/dialog_fields.h"

namespace ecuprobe::ui {

FaultDecodingDialog::FaultDecodingDialog(const std::string& decoded, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Расшифровка кодов неисправностей"));
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(controlName(console::control::faultText));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setPlainText(shownLines(decoded));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
    const QFontMetrics metrics(text->font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 80, metrics.lineSpacing() * 14);
}

}  // namespace ecuprobe::ui
