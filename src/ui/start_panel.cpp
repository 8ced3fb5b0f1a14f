#include "ui/start_panel.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/com_port_devices.h"
#include "ui/console_form.h"

namespace ecuprobe::ui {

StartPanel::StartPanel(QWidget* parent)
    : QWidget(parent),
      startButton(new QPushButton(QStringLiteral("Начать тестирование"), this)),
      portLine(new QLabel(this)),
      owedLine(new QLabel(this)) {
    setObjectName(QStringLiteral("startPanel"));
    startButton->setObjectName(QStringLiteral("startButton"));
    QFont large = startButton->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    startButton->setFont(large);
    startButton->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    startButton->setIconSize(QSize(32, 32));
    const QFontMetrics metrics(large);
    startButton->setMinimumSize(metrics.horizontalAdvance(startButton->text()) + 100,
                                metrics.height() * 3);
    startButton->setToolTip(QStringLiteral("Открыть консоль «Тестер» (Ctrl+T)"));
    connect(startButton, &QPushButton::clicked, this, &StartPanel::startRequested);
    portLine->setObjectName(QStringLiteral("startPort"));
    portLine->setAlignment(Qt::AlignCenter);
    portLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* hint = new QLabel(QStringLiteral("Подключите адаптер K-line к COM-порту ПК и к "
                                           "диагностическому разъёму, включите зажигание."),
                            this);
    owedLine->setObjectName(QStringLiteral("startOwed"));
    owedLine->setAlignment(Qt::AlignCenter);
    owedLine->setWordWrap(true);
    owedLine->setStyleSheet(heldStyle());
    owedLine->hide();
    hint->setObjectName(QStringLiteral("startHint"));
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(startButton, 0, Qt::AlignHCenter);
    layout->addSpacing(metrics.height());
    layout->addWidget(portLine);
    layout->addWidget(owedLine);
    layout->addWidget(hint);
    layout->addStretch(1);
}

void StartPanel::showPort(std::optional<int> slot, const platform::PortMap& ports,
                          const std::vector<platform::SerialDeviceInfo>& devices,
                          std::optional<int> simulatedSlot) {
    // "COM1: /dev/ttyS0\nустройство не найдено" on one line; the console opens
    // COM1 when none was chosen.
    const int shown = slot.value_or(0);
    QString text = shown == simulatedSlot
                       ? QStringLiteral("COM%1 — встроенный имитатор ЭБУ").arg(shown + 1)
                       : comSlotTip(shown, ports, devices).replace(u'\n', QStringLiteral(" — "));
    if (!slot) {
        text.replace(0, 4, QStringLiteral("COM1 (по умолчанию)"));
    }
    portLine->setText(QStringLiteral("Порт: ") + text);
}

void StartPanel::showOwed(const QString& text) {
    owedLine->setText(text);
    owedLine->setVisible(!text.isEmpty());
}

}  // namespace ecuprobe::ui
