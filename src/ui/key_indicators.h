#pragma once

#include <QWidget>

#include <array>

#include "ui/key_lamps.h"

class QLabel;

namespace ecuprobe::ui {

// The status bar's key-state indicators, "CAP", "NUM" and "SCRL", each shown
// while its lock is on. They read the keyboard's indicator lamps where the
// system tells them (X11, Windows); elsewhere they stay hidden rather than guess.
class KeyIndicators final : public QWidget {
    Q_OBJECT

public:
    explicit KeyIndicators(QWidget* parent);

private:
    void readLamps();

    std::array<QLabel*, KeyLamps::count> lamps{};
    KeyLamps keyLamps;
};

}  // namespace ecuprobe::ui
