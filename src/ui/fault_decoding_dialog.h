#pragma once

#include <QDialog>

#include <string>

namespace ecuprobe::ui {

// "Расшифровка кодов неисправностей": the decoded fault list, read-only, in one
// multi-line box, its lines whole (wrapped where the screen is too narrow), and
// a close button. It only shows the text it is given.
class FaultDecodingDialog final : public QDialog {
    Q_OBJECT

public:
    // decoded: the list with its CR LF line ends, as the session builds it.
    FaultDecodingDialog(const std::string& decoded, QWidget* parent);
};

}  // namespace ecuprobe::ui
