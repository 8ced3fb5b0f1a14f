#include "ui/connection_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/help_window.h"
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
    // Where "см. в Help" leads: the manual's page of sockets and schemes.
    QPushButton* help =
        buttons->addButton(QStringLiteral("Разъёмы и схемы в справке"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("socketsHelp"));
    connect(help, &QPushButton::clicked, this, [this] {
        auto* manual = new HelpWindow(this, QStringLiteral("sockets"));
        manual->setAttribute(Qt::WA_DeleteOnClose);
        manual->show();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(new WiringDiagram(this), 1);
    layout->addWidget(more);
    layout->addWidget(buttons);
}

}  // namespace ecuprobe::ui
