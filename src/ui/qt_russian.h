#pragma once

class QCoreApplication;

namespace ecuprobe::ui {

// Loads Qt's own Russian texts (the buttons of message boxes, the file dialog,
// the context menus of edit boxes) whatever the desktop's language: every text
// of the tester is Russian, and an English "Cancel" beside it would read oddly.
// False where the translation is not installed; Qt's English texts stay then.
bool loadQtRussian(QCoreApplication& application);

}  // namespace ecuprobe::ui
