#include "ui/key_indicators.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

// After every Qt header: Xlib's macros (None, Bool, Status) would clash with them.
#include <X11/XKBlib.h>

namespace ecuprobe::ui {

namespace {

constexpr int pollMs = 250;
constexpr const char* lampTexts[] = {"CAP", "NUM", "SCRL"};
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

KeyIndicators::KeyIndicators(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        lamps[i] = new QLabel(this);
        lamps[i]->setObjectName(QLatin1String(lampTexts[i]));
        lamps[i]->setFrameShape(QFrame::Panel);
        lamps[i]->setFrameShadow(QFrame::Sunken);
        lamps[i]->setAlignment(Qt::AlignCenter);
        lamps[i]->setMinimumWidth(
            lamps[i]->fontMetrics().horizontalAdvance(QLatin1String(lampTexts[i])) + 12);
        layout->addWidget(lamps[i]);
    }
    display = x11Display();
    if (display == nullptr) {
        hide();
        return;
    }
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        lampIndex[i] = indicatorIndex(display, lampNames[i]);
    }
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &KeyIndicators::readLamps);
    timer->start(pollMs);
    readLamps();
}

void KeyIndicators::readLamps() {
    unsigned int state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success) {
        return;
    }
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        const bool on = lampIndex[i] >= 0 && (state & (1u << lampIndex[i])) != 0;
        lamps[i]->setText(on ? QLatin1String(lampTexts[i]) : QString());
    }
}

}  // namespace ecuprobe::ui
