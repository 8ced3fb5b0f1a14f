#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

#include "console/live_history.h"
#include "console/panel_controls.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace ecuprobe::ui {

class LiveLanes;

// "График": the chosen live values of the console over its last minutes, each in
// a lane of its own. Pausing freezes the picture while the history goes on
// filling; the picture saves as PNG, the values as a tab-separated file.
class LiveChartWindow final : public QWidget {
    Q_OBJECT

public:
    LiveChartWindow(const console::LiveHistory& history, QWidget* parent);
    ~LiveChartWindow() override;

    // Takes the history's new samples into the picture, unless paused.
    void refresh();
    void setPaused(bool paused);

    std::vector<console::ControlId> chosen() const;
    void choose(const std::vector<console::ControlId>& ids);

    bool exportPng(const QString& path) const;
    bool exportTsv(const QString& path) const;
    // The line above a saved picture: date and time, the ECU and the values.
    QString exportCaption() const;
    LiveLanes* lanes() const { return picture; }

private:
    std::uint32_t spanMs() const;
    QWidget* choicePanel();
    void rebuildLanes();
    void placeWindow();
    void loadSettings();
    void saveSettings() const;
    void askAndExport(const QString& filter, const QString& suffix,
                      bool (LiveChartWindow::*write)(const QString&) const);

    const console::LiveHistory& history;
    QListWidget* values;
    QComboBox* span;
    QPushButton* pause;
    LiveLanes* picture;
    // The history's addedCount() when the picture last took its samples.
    std::uint64_t drawnCount = 0;
    bool paused = false;
};

}  // namespace ecuprobe::ui
