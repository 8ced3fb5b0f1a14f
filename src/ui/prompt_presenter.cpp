#include "ui/prompt_presenter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "ui/comment_dialog.h"
#include "ui/qt_text.h"
#include "ui/save_filter.h"

namespace ecuprobe::ui {

namespace {

// Marks the dialogs that answer a prompt, so that shutDown() finds them all.
constexpr const char* promptProperty = "ecuprobePrompt";

QMessageBox::Icon boxIcon(reports::MessageIcon icon) {
    switch (icon) {
        case reports::MessageIcon::error:
            return QMessageBox::Critical;
        case reports::MessageIcon::warning:
            return QMessageBox::Warning;
        case reports::MessageIcon::information:
            return QMessageBox::Information;
        case reports::MessageIcon::question:
            return QMessageBox::Question;
        case reports::MessageIcon::none:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

PromptPresenter::PromptPresenter(QWidget* dialogParent) : parent(dialogParent) {}

// A question asked from one of the console's dialogs (a test's message, the
// parameter dialog's store question) belongs over that dialog, not behind it.
QWidget* PromptPresenter::owner() const {
    QWidget* front = QApplication::activeModalWidget();
    for (const QWidget* above = front; above != nullptr; above = above->parentWidget()) {
        if (above == parent) {
            return front;
        }
    }
    return parent;
}

void PromptPresenter::present(QDialog* dialog, std::function<PromptAnswer(int result)> answerOf,
                              Reply reply) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setProperty(promptProperty, true);
    connect(dialog, &QDialog::finished, this, [this, answerOf, reply](int result) {
        if (live) {
            reply(answerOf(result));
        }
    });
    dialog->open();
}

void PromptPresenter::askSavePath(const reports::SaveAsRequest& request, Reply reply) {
    if (!live) {
        return;
    }
    showSaveDialog(request, toQString(request.proposedName), std::move(reply));
}

void PromptPresenter::showSaveDialog(const reports::SaveAsRequest& request, const QString& selected,
                                     Reply reply) {
    auto* dialog = new QFileDialog(owner(), QString(), QDir::currentPath());
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(qtNameFilters(request.filter));
    dialog->setDefaultSuffix(toQString(request.defaultExtension));
    // The overwrite question comes from here, so that it reads like the others.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(selected);
    present(
        dialog,
        [dialog](int result) {
            const QStringList files = dialog->selectedFiles();
            if (result != QDialog::Accepted || files.isEmpty()) {
                return PromptAnswer{};
            }
            return PromptAnswer{true, files.first().toStdString()};
        },
        [this, request, reply](PromptAnswer answer) {
            if (answer.accepted && QFileInfo::exists(toQString(answer.text))) {
                confirmOverwrite(request, toQString(answer.text), reply);
            } else {
                reply(answer);
            }
        });
}

// Asked before an existing file is named; No goes back to the file dialog.
void PromptPresenter::confirmOverwrite(const reports::SaveAsRequest& request, const QString& path,
                                       Reply reply) {
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Сохранить как"),
        QFileInfo(path).fileName() + QStringLiteral(" уже существует.\nЗаменить его?"),
        QMessageBox::Yes | QMessageBox::No, owner());
    box->setDefaultButton(QMessageBox::No);
    present(
        box,
        [box](int) {
            return PromptAnswer{box->clickedButton() == box->button(QMessageBox::Yes), {}};
        },
        [this, request, path, reply](PromptAnswer answer) {
            if (answer.accepted) {
                reply(PromptAnswer{true, path.toStdString()});
            } else {
                showSaveDialog(request, path, reply);
            }
        });
}

void PromptPresenter::askComment(std::size_t maxLength, Reply reply) {
    if (!live) {
        return;
    }
    auto* dialog = new CommentDialog(maxLength, owner());
    present(
        dialog,
        [dialog](int result) {
            if (result != QDialog::Accepted) {
                return PromptAnswer{};
            }
            return PromptAnswer{true, dialog->comment().toStdString()};
        },
        std::move(reply));
}

void PromptPresenter::askYesNo(const QString& caption, const QString& text, bool yesIsDefault,
                               Reply reply) {
    if (!live) {
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Question, caption, text,
                                QMessageBox::Yes | QMessageBox::No, owner());
    box->setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    present(
        box,
        [box](int) {
            return PromptAnswer{box->clickedButton() == box->button(QMessageBox::Yes), {}};
        },
        std::move(reply));
}

void PromptPresenter::showMessage(const QString& caption, const QString& text,
                                  reports::MessageIcon icon, Reply reply) {
    if (!live) {
        return;
    }
    auto* box = new QMessageBox(boxIcon(icon), caption, text, QMessageBox::Ok, owner());
    present(
        box,
        [](int) {
            return PromptAnswer{true, {}};
        },
        std::move(reply));
}

void PromptPresenter::shutDown() {
    live = false;
    if (parent.isNull()) {
        return;
    }
    for (QDialog* dialog : parent->findChildren<QDialog*>()) {
        if (dialog->property(promptProperty).toBool()) {
            dialog->reject();
        }
    }
}

}  // namespace ecuprobe::ui
