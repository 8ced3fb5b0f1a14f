#include "ui/up_down_control.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ecuprobe::ui {

namespace {

QToolButton* arrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    return button;
}

}  // namespace

UpDownControl::UpDownControl(int minimum, int maximum, QWidget* parent)
    : QWidget(parent),
      up(arrowButton(Qt::UpArrow, QStringLiteral("up"), this)),
      down(arrowButton(Qt::DownArrow, QStringLiteral("down"), this)),
      lowest(minimum),
      highest(maximum),
      current(minimum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDownControl::setPosition(int position) {
    current = std::clamp(position, lowest, highest);
}

void UpDownControl::step(int by) {
    const int next = std::clamp(current + by, lowest, highest);
    if (next == current) {
        return;
    }
    current = next;
    emit stepped(current);
}

}  // namespace ecuprobe::ui
