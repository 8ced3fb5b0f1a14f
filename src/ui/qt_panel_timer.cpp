#include "ui/qt_panel_timer.h"

#include <QTimer>

#include <algorithm>

namespace ecuprobe::ui {

QtPanelTimer::QtPanelTimer(QObject* parent, std::uint32_t periodSpeedUp)
    : QObject(parent), timer(new QTimer(this)), speedUp(std::max<std::uint32_t>(periodSpeedUp, 1)) {
    connect(timer, &QTimer::timeout, this, &QtPanelTimer::fire);
}

std::uint32_t QtPanelTimer::start(std::uint32_t id, std::uint32_t periodMs, Callback onFire) {
    callback = std::move(onFire);
    timer->start(static_cast<int>(std::max<std::uint32_t>(periodMs / speedUp, 1)));
    return id == 0 ? 1 : id;
}

void QtPanelTimer::stop(std::uint32_t) {
    timer->stop();
    callback = nullptr;
}

void QtPanelTimer::fire() {
    // The callback may stop or restart the timer, which replaces callback.
    const Callback current = callback;
    if (current) {
        current();
        emit fired();
    }
}

}  // namespace ecuprobe::ui
