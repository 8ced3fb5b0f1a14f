#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <string>

#include "reports/user_prompts.h"

class QDialog;
class QWidget;

namespace ecuprobe::ui {

// The answer to any prompt: accepted is OK, Yes or a chosen path; text is the
// path or the comment.
struct PromptAnswer {
    bool accepted = false;
    std::string text;
};

// Shows the prompts of a service as dialogs on the GUI thread, window-modal over
// their parent and without blocking: each answer goes to its reply when the
// dialog closes.
class PromptPresenter final : public QObject {
    Q_OBJECT

public:
    using Reply = std::function<void(PromptAnswer)>;

    explicit PromptPresenter(QWidget* dialogParent);

    void askSavePath(const reports::SaveAsRequest& request, Reply reply);
    void askComment(std::size_t maxLength, Reply reply);
    void askYesNo(const QString& caption, const QString& text, bool yesIsDefault, Reply reply);
    void showMessage(const QString& caption, const QString& text, reports::MessageIcon icon,
                     Reply reply);
    // Closes every open prompt; from now on no reply is given and no dialog shown.
    void shutDown();

private:
    void showSaveDialog(const reports::SaveAsRequest& request, const QString& selected,
                        Reply reply);
    void confirmOverwrite(const reports::SaveAsRequest& request, const QString& path, Reply reply);
    // The window a new prompt appears over.
    QWidget* owner() const;
    void present(QDialog* dialog, std::function<PromptAnswer(int result)> answerOf, Reply reply);

    QPointer<QWidget> parent;
    bool live = true;
};

}  // namespace ecuprobe::ui
