#pragma once

#include <QDialog>

#include <cstddef>

class QPlainTextEdit;

namespace ecuprobe::ui {

// "Ввод коментария при сохранении": one multi-line field in which Return starts
// a new line, input held to a number of characters, OK and Cancel.
class CommentDialog final : public QDialog {
    Q_OBJECT

public:
    CommentDialog(std::size_t maxLength, QWidget* parent);

    // What was typed; the caller takes it only after OK.
    QString comment() const;

private:
    void holdToLimit();

    QPlainTextEdit* edit;
    qsizetype limit;
};

}  // namespace ecuprobe::ui
