#pragma once

#include <QDialog>

#include "console/identification_content.h"

namespace ecuprobe::ui {

// The ECU's identification: its ten texts read-only, each with its caption to
// the left, the equipment list on the right half, and "Выход". It only shows the
// content the link thread read.
class IdentificationDialog final : public QDialog {
    Q_OBJECT

public:
    IdentificationDialog(const console::IdentificationContent& content, QWidget* parent);
};

}  // namespace ecuprobe::ui
