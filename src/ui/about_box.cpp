#include "ui/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

#include "project_version.h"

namespace ecuprobe::ui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("About ECUPROBE"));
    auto* icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(side, side));
    auto* controllers = new QLabel(QStringLiteral("Контроллеры МИКАС 5.x, 7.x"), this);
    auto* version = new QLabel(QStringLiteral("%1, версия %2 beta")
                                   .arg(QLatin1String(productName), QLatin1String(projectVersion)),
                               this);
    controllers->setObjectName(QStringLiteral("controllers"));
    version->setObjectName(QStringLiteral("version"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(controllers, 0, 1);
    layout->addWidget(version, 1, 1);
    layout->addWidget(buttons, 0, 2, 2, 1, Qt::AlignTop);
    layout->setHorizontalSpacing(16);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace ecuprobe::ui
