#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

#include "console/live_history.h"
#include "console/panel_controls.h"

class QChart;
class QChartView;
class QComboBox;
class QListWidget;
class QPushButton;
class QValueAxis;

namespace ecuprobe::ui {

// "График": the chosen live values of the console over its last minutes, each on
// an axis of its own. Pausing freezes the picture while the history goes on
// filling; the picture saves as PNG, the values as a tab-separated file.
class LiveChartWindow final : public QWidget {
    Q_OBJECT

public:
    LiveChartWindow(const console::LiveHistory& history, QWidget* parent);
    ~LiveChartWindow() override;

    // Draws the history again, unless paused.
    void refresh();
    void setPaused(bool paused);

    std::vector<console::ControlId> chosen() const;
    void choose(const std::vector<console::ControlId>& ids);

    bool exportPng(const QString& path) const;
    bool exportTsv(const QString& path) const;

private:
    std::uint32_t spanMs() const;
    QWidget* choicePanel();
    void markChosen(const std::vector<console::ControlId>& ids);
    void rebuildSeries();
    void drawSeries();
    void loadSettings();
    void saveSettings() const;
    void askAndExport(const QString& filter, const QString& suffix,
                      bool (LiveChartWindow::*write)(const QString&) const);

    const console::LiveHistory& history;
    QListWidget* values;
    QComboBox* span;
    QPushButton* pause;
    QChart* chart;
    QChartView* view;
    QValueAxis* timeAxis;
    bool paused = false;
};

}  // namespace ecuprobe::ui
