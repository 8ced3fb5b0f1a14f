#pragma once

class QDir;

namespace ecuprobe::ui {
class MainWindow;
}

namespace ecuprobe::app {

// Two run-ups on the simulated engine saved with a state report into a scratch
// folder, opened side by side in the window: saves the comparison window and its
// printed page as pictures.
bool savedRunsTour(ui::MainWindow& window, const QDir& into);

}  // namespace ecuprobe::app
