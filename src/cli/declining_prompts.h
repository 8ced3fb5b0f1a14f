#pragma once

#include <ostream>

#include "reports/user_prompts.h"

namespace ecuprobe::cli {

// The monitor's answers to a service's questions while it cannot ask them: No,
// Cancel and no path; messages go to the error stream.
class DecliningPrompts final : public reports::UserPrompts {
public:
    explicit DecliningPrompts(std::ostream& messages) : err(messages) {}

    std::optional<std::string> askSavePath(const reports::SaveAsRequest& request) override;
    std::optional<std::string> askComment(std::size_t maxLength) override;
    bool askYesNo(std::string_view caption, std::string_view text, bool yesIsDefault) override;
    void showMessage(std::string_view caption, std::string_view text,
                     reports::MessageIcon icon) override;

private:
    std::ostream& err;
};

}  // namespace ecuprobe::cli
