#include "ui/connection_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/wiring_diagram.h"

namespace ecuprobe::ui {

ConnectionWindow::ConnectionWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("pcConnection"));
    setWindowTitle(QStringLiteral("PC connection"));
    auto* intro = new QLabel(
        QStringLiteral(" Простейшая из известных мне схем подключения ПК (RS-232) к ЭБУ"), this);
    auto* more =
        new QLabel(QStringLiteral("Более сложные схемы и информ. по разъемам см. в Help."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(new WiringDiagram(this), 1);
    layout->addWidget(more);
    layout->addWidget(buttons);
}

}  // namespace ecuprobe::ui
