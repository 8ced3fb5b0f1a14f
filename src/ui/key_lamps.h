#pragma once

#include <array>

namespace ecuprobe::ui {

// Whether Caps Lock, Num Lock and Scroll Lock are on, as the keyboard's lamps
// show them: from the X server's keyboard extension, or from Windows' key state.
class KeyLamps {
public:
    static constexpr std::size_t count = 3;

    KeyLamps();

    // False where the display server does not tell (Wayland, offscreen).
    bool readable() const;
    // Caps, Num, Scroll; all off when they cannot be read.
    std::array<bool, count> read() const;

private:
    void* display = nullptr;
    std::array<int, count> lampIndex{-1, -1, -1};
};

}  // namespace ecuprobe::ui
