#pragma once

#include <QObject>

#include <cstdint>

#include "console/panel_timer.h"

class QTimer;

namespace ecuprobe::ui {

// The console's poll timer on the thread that owns it: a QTimer there, which
// like a window timer never fires twice to catch up after a long tick.
class QtPanelTimer final : public QObject, public console::PanelTimer {
    Q_OBJECT

public:
    // speedUp divides every period: the tests poll a line on virtual time that
    // way without waiting whole seconds per tick.
    explicit QtPanelTimer(QObject* parent, std::uint32_t speedUp = 1);

    std::uint32_t start(std::uint32_t id, std::uint32_t periodMs, Callback onFire) override;
    void stop(std::uint32_t handle) override;

signals:
    // After the callback of a firing has returned.
    void fired();

private:
    void fire();

    QTimer* timer;
    std::uint32_t speedUp;
    Callback callback;
};

}  // namespace ecuprobe::ui
