#pragma once

#include <QDialog>

namespace ecuprobe::ui {

// "PC connection": how the PC's serial port reaches the ECU, with a diagram.
class ConnectionWindow final : public QDialog {
    Q_OBJECT

public:
    explicit ConnectionWindow(QWidget* parent);
};

}  // namespace ecuprobe::ui
