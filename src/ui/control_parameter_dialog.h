#pragma once

#include <QDialog>

#include <array>

#include "console/control_parameter_form.h"

class QLineEdit;
class QPushButton;

namespace ecuprobe::ui {

class ConsoleLink;
class UpDownControl;

// "Установка упр. параметров": the seven control parameters as the live values
// had them when the dialog opened. "Ввод" checks the fields here, puts the focus
// on the first that does not read, and otherwise runs the form on the link
// thread, whose store questions come through the console's prompts while the
// poll goes on; the dialog closes when that is done. "Отмена" sends nothing.
class ControlParameterDialog final : public QDialog {
    Q_OBJECT

public:
    ControlParameterDialog(const console::ControlParameterForm& form, ConsoleLink& link,
                           QWidget* parent);

    QLineEdit* field(console::ParameterField which) const;

signals:
    // The parameters are being sent and stored (true), or that has ended (false).
    void storing(bool on);

public slots:
    void accept() override;
    // While the parameters are being sent, the dialog waits for them.
    void reject() override;

private:
    void buildFields();
    void stepIdleStepper(int position);

    console::ControlParameterForm form;
    ConsoleLink& link;
    std::array<QLineEdit*, console::parameterFieldCount> fields{};
    UpDownControl* stepper = nullptr;
    QPushButton* enter;
    QPushButton* cancel;
    bool sending = false;
};

}  // namespace ecuprobe::ui
