#pragma once

#include <QDialog>

namespace ecuprobe::ui {

// The tester's manual, bundled with the program, in a browser window.
class HelpWindow final : public QDialog {
    Q_OBJECT

public:
    // section: the id of the heading to open at; empty for the top.
    explicit HelpWindow(QWidget* parent, const QString& section = {});
};

}  // namespace ecuprobe::ui
