#pragma once

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>

#include "reports/user_prompts.h"
#include "ui/prompt_presenter.h"

class QEventLoop;

namespace ecuprobe::ui {

// UserPrompts for a service on the link thread: each question is shown by the
// presenter on the GUI thread while this thread waits in a nested event loop,
// so its poll timer keeps firing under the dialog, as under a modal dialog of
// its own.
class GuiPrompts final : public QObject, public reports::UserPrompts {
    Q_OBJECT

public:
    // presenter lives on the GUI thread and outlives this object's last question;
    // once refuse is set (from any thread) no question is put any more.
    GuiPrompts(PromptPresenter& presenter, const std::atomic<bool>& refuse, QObject* parent);

    std::optional<std::string> askSavePath(const reports::SaveAsRequest& request) override;
    std::optional<std::string> askComment(std::size_t maxLength) override;
    bool askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) override;
    void showMessage(std::string_view caption, std::string_view text,
                     reports::MessageIcon icon) override;

    // Ends the waiting question with Cancel or No and closes its dialog; every
    // later question gets that answer at once. For a console that is closing.
    void cancelAll();

private:
    using Ask = std::function<void(PromptPresenter&, PromptPresenter::Reply)>;
    struct Wait {
        QEventLoop* loop;
        PromptAnswer* answer;
    };

    PromptAnswer waitFor(Ask ask);
    void answered(std::uint64_t ticket, const PromptAnswer& answer);

    PromptPresenter* presenter;
    const std::atomic<bool>* refused;
    std::map<std::uint64_t, Wait> waits;
    std::uint64_t lastTicket = 0;
    bool cancelled = false;
};

}  // namespace ecuprobe::ui
