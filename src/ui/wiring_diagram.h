#pragma once

#include <QWidget>

namespace ecuprobe::ui {

// The simplest way to join a PC to the ECU, drawn as vectors: the COM port's
// TxD, RxD and GND through a level converter to the K-line, powered from the
// +12 V and ground of the car's diagnostic connector. Scales with its widget.
class WiringDiagram final : public QWidget {
    Q_OBJECT

public:
    explicit WiringDiagram(QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ecuprobe::ui
