#pragma once

#include <QWidget>

#include <array>

class QLabel;
struct _XDisplay;

namespace ecuprobe::ui {

// The status bar's key-state indicators, "CAP", "NUM" and "SCRL", each shown
// while its lock is on. They read the keyboard's indicator lamps where the
// display server tells them (X11); elsewhere they stay hidden rather than guess.
class KeyIndicators final : public QWidget {
    Q_OBJECT

public:
    explicit KeyIndicators(QWidget* parent);

private:
    void readLamps();

    std::array<QLabel*, 3> lamps{};
    std::array<int, 3> lampIndex{-1, -1, -1};
    _XDisplay* display = nullptr;
};

}  // namespace ecuprobe::ui
