#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <vector>

#include "review/drive_log_file.h"
#include "review/log_view.h"

class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;

namespace ecuprobe::ui {

class LiveLanes;

// A saved drive log in the live chart's lanes: the columns chosen on the left,
// one lane each with its unit, the cursor reading every lane at one moment.
// The wheel zooms about the mouse, a drag or the scroll bar pans; the view never
// leaves the log. Only reads: the file is never written. The opener decides
// whether it is deleted on closing.
class DriveLogWindow final : public QWidget {
    Q_OBJECT

public:
    DriveLogWindow(review::DriveLogTable log, QString path, QWidget* parent = nullptr);

    // Columns of the log, counted from 0 after Time, in the lanes' order.
    std::vector<std::size_t> chosenColumns() const;
    void chooseColumns(const std::vector<std::size_t>& columns);

    const review::LogSpan& shown() const { return span; }
    void zoomIn();
    void zoomOut();
    void showAll();
    void panBy(double seconds);

    LiveLanes* lanes() const { return picture; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* columnPanel();
    QWidget* viewControls();
    std::vector<std::size_t> defaultColumns() const;
    void rebuildLanes();
    void zoomAbout(double factor, double seconds);
    // Takes the span into the picture, the scroll bar and the buttons.
    void placeView();
    void updateInfo();

    review::DriveLogTable table;
    review::LogSpan span;
    QListWidget* columns;
    LiveLanes* picture;
    QScrollBar* scroller;
    QPushButton* closer;
    QPushButton* farther;
    QPushButton* whole;
    QLabel* info;
    // The mouse's x when a drag last moved the view; negative without a drag.
    double dragX = -1;
};

}  // namespace ecuprobe::ui
