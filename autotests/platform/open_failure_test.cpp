#include "platform/open_failure.h"

#include <gtest/gtest.h>

// What both testers say when a port will not open.
namespace ecuprobe::platform {
namespace {

TEST(OpenFailure, TellsTheCauseAndTheSystemsWordsOnlyWhereItHasNoNameForIt) {
    const struct {
        OpenFailure failure;
        const char* text;
    } cases[] = {
        {{OpenFailureCause::none, {}}, ""},
        {{OpenFailureCause::notFound, {}}, "нет такого порта"},
        {{OpenFailureCause::permission, {}},
         "нет доступа: пользователь не входит в группу dialout; выполните "
         "sudo usermod -aG dialout $USER и войдите в систему заново"},
        {{OpenFailureCause::modeDenied, "владелец root, группа root, права rw-------"},
         "нет доступа к устройству: владелец root, группа root, права rw-------"},
        {{OpenFailureCause::busy, {}}, "порт занят другой программой"},
        {{OpenFailureCause::other, "Invalid argument"}, "ошибка системы: Invalid argument"},
        {{OpenFailureCause::other, {}}, "ошибка системы"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(openFailureText(c.failure), c.text);
    }
}

}  // namespace
}  // namespace ecuprobe::platform
