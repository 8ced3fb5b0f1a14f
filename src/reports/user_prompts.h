#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ecuprobe::reports {

enum class MessageIcon { none, error, warning, information, question };

// What a Save-As dialog is asked to offer.
struct SaveAsRequest {
    std::string defaultExtension;  // without the dot: "tdm"
    std::string proposedName;      // "ZORAFIL"
    // Pairs of "description|pattern|" in the Windows filter form, ending in "||".
    std::string filter;
};

// The questions a service asks a person in the middle of its work. The Qt window
// answers them with dialogs, the command-line tester with its options and stdin,
// the tests with a script. Every call blocks until there is an answer; texts are UTF-8.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // The chosen path, or nullopt when the person cancelled.
    virtual std::optional<std::string> askSavePath(const SaveAsRequest& request) = 0;
    // The comment typed (at most maxLength characters), or nullopt after Cancel.
    virtual std::optional<std::string> askComment(std::size_t maxLength) = 0;
    // true for Yes.
    virtual bool askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) = 0;
    virtual void showMessage(std::string_view caption, std::string_view text, MessageIcon icon) = 0;
};

}  // namespace ecuprobe::reports
