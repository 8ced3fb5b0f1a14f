#include "platform/open_failure.h"

namespace ecuprobe::platform {

std::string openFailureText(const OpenFailure& failure) {
    switch (failure.cause) {
        case OpenFailureCause::none:
            return {};
        case OpenFailureCause::notFound:
            return "нет такого порта";
        // Membership in the group counts from the next login on.
        case OpenFailureCause::permission:
            return "нет доступа: пользователь не входит в группу dialout; выполните "
                   "sudo usermod -aG dialout $USER и войдите в систему заново";
        case OpenFailureCause::modeDenied:
            return "нет доступа к устройству: " + failure.systemText;
        case OpenFailureCause::busy:
            return "порт занят другой программой";
        case OpenFailureCause::notTty:
            return "это не последовательный порт";
        case OpenFailureCause::lineSettings:
            return "не удалось настроить линию (9600 8N1)";
        case OpenFailureCause::gone:
            return "устройство не подключено";
        case OpenFailureCause::other:
            break;
    }
    return failure.systemText.empty() ? "ошибка системы" : "ошибка системы: " + failure.systemText;
}

}  // namespace ecuprobe::platform
