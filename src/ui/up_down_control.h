#pragma once

#include <QWidget>

class QToolButton;

namespace ecuprobe::ui {

// An up-down control of its own, beside the edit box it steps: two arrow
// buttons over a position in a range. Setting the position from outside emits
// nothing; only a step by the user does.
class UpDownControl final : public QWidget {
    Q_OBJECT

public:
    UpDownControl(int minimum, int maximum, QWidget* parent);

    int position() const { return current; }
    void setPosition(int position);

signals:
    void stepped(int position);

private:
    void step(int by);

    QToolButton* up;
    QToolButton* down;
    int lowest;
    int highest;
    int current;
};

}  // namespace ecuprobe::ui
