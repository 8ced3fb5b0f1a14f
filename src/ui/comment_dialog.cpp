#include "ui/comment_dialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace ecuprobe::ui {

CommentDialog::CommentDialog(std::size_t maxLength, QWidget* parent)
    : QDialog(parent), edit(new QPlainTextEdit(this)), limit(static_cast<qsizetype>(maxLength)) {
    setWindowTitle(QStringLiteral("Ввод коментария при сохранении"));
    setObjectName(QStringLiteral("commentDialog"));
    edit->setObjectName(QStringLiteral("comment"));
    edit->setTabChangesFocus(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit);
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
