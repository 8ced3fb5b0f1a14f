#include "ui/drive_log_window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "ui/checked_items.h"
#include "ui/live_lanes.h"

namespace ecuprobe::ui {

namespace {

// One wheel notch or button press: the view a fifth narrower, or as much wider.
constexpr double zoomStep = 0.8;
// The scroll bar counts milliseconds: a day's log still fits its int range.
constexpr double scrollUnitsPerSecond = 1000.0;
// Shown at first when the log has them: what a mechanic looks at on a drive.
constexpr std::string_view firstChoice[] = {"FREQ", "THR", "SPD", "TWAT"};
constexpr std::size_t lanesAtFirst = 4;

double firstOf(const std::vector<double>& time) {
    return time.empty() ? 0.0 : *std::min_element(time.begin(), time.end());
}

double lastOf(const std::vector<double>& time) {
    return time.empty() ? 0.0 : *std::max_element(time.begin(), time.end());
}

bool hasValues(const std::vector<double>& column) {
    return std::any_of(column.begin(), column.end(), [](double v) { return !std::isnan(v); });
}

int scrollUnits(double seconds) {
    return static_cast<int>(std::lround(seconds * scrollUnitsPerSecond));
}

}  // namespace

DriveLogWindow::DriveLogWindow(review::DriveLogTable log, QString path, QWidget* parent)
    : QWidget(parent, Qt::Window),
      table(std::move(log)),
      span(firstOf(table.time), lastOf(table.time)),
      columns(new QListWidget(this)),
      picture(new LiveLanes(this)),
      scroller(new QScrollBar(Qt::Horizontal, this)),
      closer(new QPushButton(QStringLiteral("Крупнее"), this)),
      farther(new QPushButton(QStringLiteral("Мельче"), this)),
      whole(new QPushButton(QStringLiteral("Весь лог"), this)),
      info(new QLabel(this)) {
    setObjectName(QStringLiteral("driveLog"));
    setWindowTitle(QStringLiteral("Лог поездки — %1").arg(QFileInfo(path).fileName()));
    picture->setElapsedTime(true);
    picture->installEventFilter(this);
    auto* right = new QVBoxLayout;
    right->addWidget(picture, 1);
    right->addWidget(viewControls());
    right->addWidget(info);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(columnPanel());
    layout->addLayout(right, 1);
    const QScreen* shownOn = screen();
    resize(liveChartOpeningSize(shownOn != nullptr ? shownOn->availableSize() : QSize(1366, 728)));
    checkKeys(*columns, defaultColumns());
    rebuildLanes();
}

QWidget* DriveLogWindow::columnPanel() {
    columns->setObjectName(QStringLiteral("columns"));
    for (std::size_t c = 0; c < table.names.size(); ++c) {
        const QString unit =
            c < table.units.size() ? QString::fromStdString(table.units[c]) : QString();
        QString caption = QString::fromStdString(review::columnCaption(table.names[c]));
        if (!unit.isEmpty()) {
            caption += QStringLiteral(", ") + unit;
        }
        auto* item = new QListWidgetItem(caption, columns);
        item->setData(Qt::UserRole, static_cast<qulonglong>(c));
        item->setCheckState(Qt::Unchecked);
        if (hasValues(table.columns[c])) {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        } else {
            // A value the ECU never gave in this drive: nothing to draw.
            item->setFlags(Qt::ItemIsUserCheckable);
            item->setToolTip(QStringLiteral("В логе нет значений"));
        }
    }
    columns->setMinimumWidth(std::min(columns->sizeHintForColumn(0) + 40, 320));
    connect(columns, &QListWidget::itemChanged, this, [this] { rebuildLanes(); });
    return columns;
}

QWidget* DriveLogWindow::viewControls() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    scroller->setObjectName(QStringLiteral("scroller"));
    closer->setObjectName(QStringLiteral("zoomIn"));
    farther->setObjectName(QStringLiteral("zoomOut"));
    whole->setObjectName(QStringLiteral("showAll"));
    layout->addWidget(scroller, 1);
    layout->addWidget(closer);
    layout->addWidget(farther);
    layout->addWidget(whole);
    connect(scroller, &QScrollBar::valueChanged, this, [this](int value) {
        span.panTo(value / scrollUnitsPerSecond);
        placeView();
    });
    connect(closer, &QPushButton::clicked, this, &DriveLogWindow::zoomIn);
    connect(farther, &QPushButton::clicked, this, &DriveLogWindow::zoomOut);
    connect(whole, &QPushButton::clicked, this, &DriveLogWindow::showAll);
    return row;
}

std::vector<std::size_t> DriveLogWindow::defaultColumns() const {
    std::vector<std::size_t> chosen;
    for (const std::string_view name : firstChoice) {
        const auto at = std::find(table.names.begin(), table.names.end(), name);
        const auto c = static_cast<std::size_t>(at - table.names.begin());
        if (at != table.names.end() && hasValues(table.columns[c])) {
            chosen.push_back(c);
        }
    }
    if (!chosen.empty()) {
        std::sort(chosen.begin(), chosen.end());
        return chosen;
    }
    // A log without those columns: its first ones that hold values.
    for (std::size_t c = 0; c < table.names.size() && chosen.size() < lanesAtFirst; ++c) {
        if (hasValues(table.columns[c])) {
            chosen.push_back(c);
        }
    }
    return chosen;
}

std::vector<std::size_t> DriveLogWindow::chosenColumns() const {
    return checkedKeys<std::size_t>(*columns);
}

void DriveLogWindow::chooseColumns(const std::vector<std::size_t>& chosen) {
    checkKeys(*columns, chosen);
    rebuildLanes();
}

// The whole column goes into the lane once; the picture draws only the shown
// stretch, at most two points per pixel column.
void DriveLogWindow::rebuildLanes() {
    std::vector<LiveLanes::Lane>& lanes = picture->lanes();
    lanes.clear();
    for (const std::size_t c : chosenColumns()) {
        LiveLanes::Lane lane;
        lane.name = QString::fromStdString(review::columnCaption(table.names[c]));
        lane.unit = c < table.units.size() ? QString::fromStdString(table.units[c]) : QString();
        lane.colour = laneColour(lanes.size());
        lane.points = review::columnPoints(table, c);
        lanes.push_back(std::move(lane));
    }
    placeView();
}

void DriveLogWindow::zoomIn() {
    zoomAbout(zoomStep, (span.from() + span.to()) / 2);
}

void DriveLogWindow::zoomOut() {
    zoomAbout(1 / zoomStep, (span.from() + span.to()) / 2);
}

void DriveLogWindow::showAll() {
    span.showAll();
    placeView();
}

void DriveLogWindow::panBy(double seconds) {
    span.panBy(seconds);
    placeView();
}

void DriveLogWindow::zoomAbout(double factor, double seconds) {
    span.zoom(factor, seconds);
    placeView();
}

void DriveLogWindow::placeView() {
    picture->setWindow(span.from(), span.to(), 0);
    {
        const QSignalBlocker blocker(scroller);
        scroller->setRange(scrollUnits(span.logFrom()), scrollUnits(span.logTo() - span.width()));
        scroller->setPageStep(std::max(1, scrollUnits(span.width())));
        scroller->setSingleStep(std::max(1, scrollUnits(span.width() / 10)));
        scroller->setValue(scrollUnits(span.from()));
    }
    const bool narrowest = span.width() <= review::LogSpan::narrowestSeconds + 1e-9;
    closer->setEnabled(!narrowest);
    farther->setEnabled(!span.wholeLog());
    whole->setEnabled(!span.wholeLog());
    updateInfo();
}

void DriveLogWindow::updateInfo() {
    info->setText(QStringLiteral("Строк: %1   Длительность: %2   Показано: %3 – %4")
                      .arg(table.time.size())
                      .arg(picture->clockText(span.logTo() - span.logFrom()),
                           picture->clockText(span.from()), picture->clockText(span.to())));
}

bool DriveLogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != picture) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::Wheel: {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            const int notch = wheel->angleDelta().y();
            if (notch != 0) {
                zoomAbout(notch > 0 ? zoomStep : 1 / zoomStep,
                          picture->secondsAtX(wheel->position().x()));
            }
            return true;
        }
        case QEvent::MouseButtonPress:
            dragX = static_cast<QMouseEvent*>(event)->position().x();
            return false;
        case QEvent::MouseMove:
            if (dragX >= 0) {
                const double x = static_cast<QMouseEvent*>(event)->position().x();
                panBy(picture->secondsAtX(dragX) - picture->secondsAtX(x));
                dragX = x;
            }
            return false;
        case QEvent::MouseButtonRelease:
            dragX = -1;
            return false;
        default:
            return false;
    }
}

}  // namespace ecuprobe::ui
