#pragma once

#include <QDialog>

namespace ecuprobe::ui {

inline constexpr const char* productName = "ECUPROBE";

// "About ECUPROBE": the controllers the tester is for, its name and version, OK.
class AboutBox final : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent);
};

}  // namespace ecuprobe::ui
