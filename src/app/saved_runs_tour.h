#pragma once

#include <QSize>

namespace ecuprobe::ui {
class MainWindow;
}

namespace ecuprobe::app {

class PictureFolder;

// Saved files made on the simulated engine in a scratch folder and opened as
// File > Open opens them: two run-ups side by side (the comparison window and its
// printed page), the tester dump with their reports and a state report, and a
// drive log of a run on the road, each saved as a picture. The log's window takes
// the work area a laptop gives a chart.
bool savedRunsTour(ui::MainWindow& window, QSize workArea, const PictureFolder& into);

}  // namespace ecuprobe::app
