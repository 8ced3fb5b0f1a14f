#include "ui/key_lamps.h"

#include <QGuiApplication>

// After every Qt header: Xlib's macros (None, Bool, Status) would clash with them.
#include <X11/XKBlib.h>

namespace ecuprobe::ui {

namespace {

constexpr const char* lampNames[] = {"Caps Lock", "Num Lock", "Scroll Lock"};

Display* x11Display() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->display() : nullptr;
}

// The indicator's bit in the keyboard's state, or -1 when the keymap has none.
int indicatorIndex(Display* display, const char* name) {
    int index = -1;
    const Atom atom = XInternAtom(display, name, False);
    if (XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr) == 0) {
        return -1;
    }
    return index;
}

}  // namespace

KeyLamps::KeyLamps() : display(x11Display()) {
    if (display == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        lampIndex[i] = indicatorIndex(static_cast<Display*>(display), lampNames[i]);
    }
}

bool KeyLamps::readable() const {
    return display != nullptr;
}

std::array<bool, KeyLamps::count> KeyLamps::read() const {
    std::array<bool, count> on{};
    unsigned int state = 0;
    if (display == nullptr ||
        XkbGetIndicatorState(static_cast<Display*>(display), XkbUseCoreKbd, &state) != Success) {
        return on;
    }
    for (std::size_t i = 0; i < count; ++i) {
        on[i] = lampIndex[i] >= 0 && (state & (1u << lampIndex[i])) != 0;
    }
    return on;
}

}  // namespace ecuprobe::ui
