#include "ui/identification_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_fields.h"
#include "ui/qt_text.h"

namespace ecuprobe::ui {

namespace {

constexpr console::ControlId programPassport = 1113;

// The passports hold up to three and five blocks of 16 characters, each a line
// ending in CR LF, which leaves an empty line under the last.
int linesOf(console::ControlId id) {
    return (id == programPassport ? 3 : 5) + 1;
}

QWidget* fieldFor(QWidget& host, const console::IdentificationField& field) {
    if (field.multiLine) {
        QPlainTextEdit* block = readOnlyBlock(host, field.control, linesOf(field.control));
        block->setFixedHeight(block->minimumHeight());
        block->setPlainText(shownLines(field.text));
        return block;
    }
    QLineEdit* line = readOnlyField(host, field.control, 17);
    line->setText(toQString(field.text));
    line->setCursorPosition(0);
    return line;
}

}  // namespace

IdentificationDialog::IdentificationDialog(const console::IdentificationContent& content,
                                           QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("identification"));
    setWindowTitle(toQString(console::identificationTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* texts = new QGridLayout;
    int row = 0;
    for (const console::IdentificationField& field : content.fields) {
        QWidget* shown = fieldFor(*this, field);
        texts->addWidget(captionFor(*this, shown, field.caption), row, 0,
                         field.multiLine ? Qt::AlignTop : Qt::AlignVCenter);
        texts->addWidget(shown, row, 1);
        ++row;
    }
    texts->setColumnStretch(1, 1);
    texts->setRowStretch(row, 1);
    QPlainTextEdit* equipment = readOnlyBlock(*this, console::equipmentControl, 12);
    equipment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    equipment->setPlainText(shownLines(content.equipment));
    auto* exit = new QPushButton(toQString(console::identificationCloseCaption), this);
    exit->setObjectName(QStringLiteral("c1"));
    exit->setDefault(true);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    auto* right = new QVBoxLayout;
    right->addWidget(captionFor(*this, equipment, console::equipmentCaption));
    right->addWidget(equipment, 1);
    right->addWidget(exit, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(texts, 1);
    layout->addLayout(right, 1);
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 110, sizeHint().height());
}

}  // namespace ecuprobe::ui
