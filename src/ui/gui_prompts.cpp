#include "ui/gui_prompts.h"

#include <QEventLoop>

#include "ui/qt_text.h"

namespace ecuprobe::ui {

GuiPrompts::GuiPrompts(PromptPresenter& shower, const std::atomic<bool>& refuse, QObject* parent)
    : QObject(parent), presenter(&shower), refused(&refuse) {}

// A close asked for before this question came may still wait in this thread's
// queue, where the nested loop below would not see it until some later event:
// the flag, set on the GUI thread first, answers Cancel at once instead.
PromptAnswer GuiPrompts::waitFor(Ask ask) {
    if (cancelled || refused->load()) {
        return {};
    }
    QEventLoop loop;
    PromptAnswer answer;
    const std::uint64_t ticket = ++lastTicket;
    waits[ticket] = Wait{&loop, &answer};
    // The reply runs on the GUI thread and hands the answer back to this one.
    PromptPresenter::Reply reply = [this, ticket](PromptAnswer given) {
        QMetaObject::invokeMethod(
            this, [this, ticket, given] { answered(ticket, given); }, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(
        presenter, [shower = presenter, ask, reply] { ask(*shower, reply); }, Qt::QueuedConnection);
    loop.exec();
    waits.erase(ticket);
    return answer;
}

void GuiPrompts::answered(std::uint64_t ticket, const PromptAnswer& given) {
    const auto found = waits.find(ticket);
    if (found == waits.end()) {
        return;
    }
    *found->second.answer = given;
    found->second.loop->quit();
}

void GuiPrompts::cancelAll() {
    cancelled = true;
    for (auto& [ticket, wait] : waits) {
        *wait.answer = PromptAnswer{};
        wait.loop->quit();
    }
    QMetaObject::invokeMethod(
        presenter, [shower = presenter] { shower->shutDown(); }, Qt::QueuedConnection);
}

std::optional<std::string> GuiPrompts::askSavePath(const reports::SaveAsRequest& request) {
    const PromptAnswer answer = waitFor([request](PromptPresenter& shower, auto reply) {
        shower.askSavePath(request, std::move(reply));
    });
    return answer.accepted ? std::optional<std::string>(answer.text) : std::nullopt;
}

std::optional<std::string> GuiPrompts::askComment(std::size_t maxLength) {
    const PromptAnswer answer = waitFor([maxLength](PromptPresenter& shower, auto reply) {
        shower.askComment(maxLength, std::move(reply));
    });
    return answer.accepted ? std::optional<std::string>(answer.text) : std::nullopt;
}

bool GuiPrompts::askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) {
    return waitFor([caption = toQString(caption), text = toQString(text), yesIsDefault](
                       PromptPresenter& shower, auto reply) {
               shower.askYesNo(caption, text, yesIsDefault, std::move(reply));
           })
        .accepted;
}

void GuiPrompts::showMessage(std::string_view caption, std::string_view text,
                             reports::MessageIcon icon) {
    waitFor([caption = toQString(caption), text = toQString(text), icon](PromptPresenter& shower,
                                                                         auto reply) {
        shower.showMessage(caption, text, icon, std::move(reply));
    });
}

}  // namespace ecuprobe::ui
