#include "ui/dialog_fields.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include "ui/console_form.h"
#include "ui/qt_text.h"

namespace ecuprobe::ui {

namespace {

// Room for the frame and the text margins around the characters.
constexpr int fieldMargins = 14;

int widthOf(const QWidget& field, int digits) {
    return field.fontMetrics().horizontalAdvance(QString(digits, u'0')) + fieldMargins;
}

}  // namespace

QLineEdit* readOnlyField(QWidget& host, console::ControlId id, int digits) {
    QLineEdit* field = inputField(host, id, digits);
    field->setReadOnly(true);
    return field;
}

QLineEdit* inputField(QWidget& host, console::ControlId id, int digits) {
    auto* field = new QLineEdit(&host);
    field->setObjectName(controlName(id));
    field->setMinimumWidth(widthOf(*field, digits));
    return field;
}

void acceptDigitsOnly(QLineEdit* field) {
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
}

QPlainTextEdit* readOnlyBlock(QWidget& host, console::ControlId id, int lines) {
    auto* block = new QPlainTextEdit(&host);
    block->setObjectName(controlName(id));
    block->setReadOnly(true);
    block->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFontMetrics metrics(block->font());
    block->setMinimumHeight(metrics.lineSpacing() * lines + fieldMargins);
    return block;
}

QLabel* captionFor(QWidget& host, QWidget* buddy, std::string_view caption) {
    auto* label = new QLabel(toQString(caption), &host);
    label->setBuddy(buddy);
    return label;
}

void refuseField(QWidget& dialog, QLineEdit* field, const QString& message) {
    field->setFocus();
    field->selectAll();
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("ECUPROBE"), message,
                                QMessageBox::Ok, &dialog);
    box->setObjectName(QStringLiteral("fieldCheck"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QDialog::finished, field, [field] {
        field->setFocus();
        field->selectAll();
    });
    box->open();
}

QString shownLines(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace ecuprobe::ui
