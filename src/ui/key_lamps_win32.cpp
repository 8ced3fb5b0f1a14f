#include <windows.h>

#include "ui/key_lamps.h"

namespace ecuprobe::ui {

// Windows keeps the lock keys' toggle state for every program; nothing to open.
KeyLamps::KeyLamps() = default;

bool KeyLamps::readable() const {
    return true;
}

std::array<bool, KeyLamps::count> KeyLamps::read() const {
    constexpr int keys[count] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};
    std::array<bool, count> on{};
    for (std::size_t i = 0; i < count; ++i) {
        on[i] = (::GetKeyState(keys[i]) & 1) != 0;
    }
    return on;
}

}  // namespace ecuprobe::ui
