#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reports/user_prompts.h"

namespace ecuprobe::testing {

// UserPrompts that answer from queues filled by the test and record every
// question. An empty queue answers Cancel, No, or nothing.
class ScriptedPrompts final : public reports::UserPrompts {
public:
    struct Message {
        std::string caption;
        std::string text;
        reports::MessageIcon icon;
    };
    struct Question {
        std::string caption;
        std::string text;
        bool yesIsDefault;
    };

    std::optional<std::string> askSavePath(const reports::SaveAsRequest& request) override {
        saveRequests.push_back(request);
        asked();
        return next(savePaths);
    }
    std::optional<std::string> askComment(std::size_t maxLength) override {
        commentLimits.push_back(maxLength);
        asked();
        return next(comments);
    }
    bool askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) override {
        questions.push_back({std::string(caption), std::string(text), yesIsDefault});
        asked();
        return next(answers).value_or(false);
    }
    void showMessage(std::string_view caption, std::string_view text,
                     reports::MessageIcon icon) override {
        messages.push_back({std::string(caption), std::string(text), icon});
    }

    std::deque<std::optional<std::string>> savePaths;
    std::deque<std::optional<std::string>> comments;
    std::deque<bool> answers;

    std::vector<reports::SaveAsRequest> saveRequests;
    std::vector<std::size_t> commentLimits;
    std::vector<Question> questions;
    std::vector<Message> messages;
    // Called as each question is asked: to see what the tester holds meanwhile.
    std::function<void()> whileAsking;

private:
    void asked() const {
        if (whileAsking) {
            whileAsking();
        }
    }
    template <typename T>
    static std::optional<T> next(std::deque<std::optional<T>>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        std::optional<T> value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
    static std::optional<bool> next(std::deque<bool>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        const bool value = queue.front();
        queue.pop_front();
        return value;
    }
};

}  // namespace ecuprobe::testing
