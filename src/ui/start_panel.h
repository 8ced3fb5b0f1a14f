#pragma once

#include <QWidget>

#include <optional>
#include <vector>

#include "platform/port_map.h"
#include "platform/serial_device_list.h"

class QLabel;
class QPushButton;

namespace ecuprobe::ui {

// The main window's empty frame as a first-time user finds it: a large
// "Начать тестирование" button, the COM slot the console will take with the
// device found behind it, and what to plug in before starting.
class StartPanel final : public QWidget {
    Q_OBJECT

public:
    explicit StartPanel(QWidget* parent);

    // slot: the one the console selects before "Начать"; none, and it takes COM1.
    // simulatedSlot: the one the built-in simulated ECU serves, if any.
    void showPort(std::optional<int> slot, const platform::PortMap& ports,
                  const std::vector<platform::SerialDeviceInfo>& devices,
                  std::optional<int> simulatedSlot = std::nullopt);
    // What an earlier run may have left held on that slot; empty hides the line.
    void showOwed(const QString& text);

signals:
    void startRequested();

private:
    QPushButton* startButton;
    QLabel* portLine;
    QLabel* owedLine;
};

}  // namespace ecuprobe::ui
