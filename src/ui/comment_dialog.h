#pragma once

#include <QDialog>

#include <cstddef>

class QLabel;
class QPlainTextEdit;

namespace ecuprobe::ui {

// "Ввод коментария при сохранении": one multi-line field in which Return starts
// a new line, input held to a number of characters, OK and Cancel. OK takes only
// what the tester dump's code page carries: otherwise the dialog names the
// characters it lacks and stays open.
class CommentDialog final : public QDialog {
    Q_OBJECT

public:
    CommentDialog(std::size_t maxLength, QWidget* parent);

    // What was typed; the caller takes it only after OK.
    QString comment() const;

    void accept() override;

private:
    void holdToLimit();

    QPlainTextEdit* edit;
    QLabel* lacking;
    qsizetype limit;
};

}  // namespace ecuprobe::ui
