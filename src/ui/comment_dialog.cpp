#include "ui/comment_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/code_pages.h"

namespace ecuprobe::ui {

CommentDialog::CommentDialog(std::size_t maxLength, QWidget* parent)
    : QDialog(parent),
      edit(new QPlainTextEdit(this)),
      lacking(new QLabel(this)),
      limit(static_cast<qsizetype>(maxLength)) {
    setWindowTitle(QStringLiteral("Ввод коментария при сохранении"));
    setObjectName(QStringLiteral("commentDialog"));
    edit->setObjectName(QStringLiteral("comment"));
    edit->setTabChangesFocus(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    lacking->setObjectName(QStringLiteral("lacking"));
    lacking->setWordWrap(true);
    lacking->hide();
    layout->addWidget(edit);
    layout->addWidget(lacking);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit, &QPlainTextEdit::textChanged, this, &CommentDialog::holdToLimit);
    const QFontMetrics metrics(edit->font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 60, metrics.lineSpacing() * 10);
}

QString CommentDialog::comment() const {
    return edit->toPlainText();
}

// Such characters would be written as "?" into the dump.
void CommentDialog::accept() {
    const std::string missing = platform::lackingInCp1251(comment().toStdString());
    if (missing.empty()) {
        QDialog::accept();
        return;
    }
    lacking->setText(QStringLiteral("В кодировке файла дампа (Windows-1251) нет знаков: %1. "
                                    "Уберите или замените их.")
                         .arg(QString::fromStdString(missing)));
    lacking->show();
    edit->setFocus();
}

// Typing or pasting past the limit keeps the first characters, as an edit
// control with a text limit does.
void CommentDialog::holdToLimit() {
    const QString text = edit->toPlainText();
    if (text.size() <= limit) {
        return;
    }
    const QSignalBlocker blocker(edit);
    edit->setPlainText(text.left(limit));
    edit->moveCursor(QTextCursor::End);
}

}  // namespace ecuprobe::ui
