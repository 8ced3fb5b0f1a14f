#pragma once

#include <QDialog>

namespace ecuprobe::ui {

// The tester's manual, bundled with the program, in a browser window.
class HelpWindow final : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent);
};

}  // namespace ecuprobe::ui
