#include "ui/key_indicators.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace ecuprobe::ui {

namespace {

constexpr int pollMs = 250;
constexpr const char* lampTexts[] = {"CAP", "NUM", "SCRL"};

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
    if (!keyLamps.readable()) {
        hide();
        return;
    }
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &KeyIndicators::readLamps);
    timer->start(pollMs);
    readLamps();
}

void KeyIndicators::readLamps() {
    const std::array<bool, KeyLamps::count> on = keyLamps.read();
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        lamps[i]->setText(on[i] ? QLatin1String(lampTexts[i]) : QString());
    }
}

}  // namespace ecuprobe::ui
