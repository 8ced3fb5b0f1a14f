#include "ui/live_chart_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/checked_items.h"
#include "ui/live_lanes.h"

namespace ecuprobe::ui {

namespace {

constexpr int spanMinutes[] = {1, 2, 5, 10};
constexpr int defaultSpanIndex = 2;
const char* const valuesKey = "chart/values";
const char* const spanKey = "chart/spanMinutes";
const char* const geometryKey = "chart/geometry";

QString nameOf(console::ControlId id) {
    return QString::fromStdString(console::chartName(id));
}

}  // namespace

LiveChartWindow::LiveChartWindow(const console::LiveHistory& shown, QWidget* parent)
    : QWidget(parent, Qt::Window),
      history(shown),
      values(new QListWidget(this)),
      span(new QComboBox(this)),
      pause(new QPushButton(QStringLiteral("Пауза"), this)),
      picture(new LiveLanes(this)) {
    setObjectName(QStringLiteral("liveChart"));
    setWindowTitle(QStringLiteral("График"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(choicePanel());
    layout->addWidget(picture, 1);
    loadSettings();
    rebuildLanes();
}

LiveChartWindow::~LiveChartWindow() {
    saveSettings();
}

QWidget* LiveChartWindow::choicePanel() {
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    values->setObjectName(QStringLiteral("values"));
    for (const console::ControlId id : console::liveValueControls()) {
        auto* item = new QListWidgetItem(nameOf(id), values);
        item->setData(Qt::UserRole, id);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    values->setMinimumWidth(values->sizeHintForColumn(0) + 40);
    span->setObjectName(QStringLiteral("span"));
    for (const int minutes : spanMinutes) {
        span->addItem(QStringLiteral("последние %1 мин").arg(minutes), minutes);
    }
    pause->setObjectName(QStringLiteral("pause"));
    pause->setCheckable(true);
    auto* png = new QPushButton(QStringLiteral("Сохранить PNG..."), panel);
    auto* tsv = new QPushButton(QStringLiteral("Сохранить TSV..."), panel);
    column->addWidget(values, 1);
    column->addWidget(span);
    column->addWidget(pause);
    column->addWidget(png);
    column->addWidget(tsv);
    connect(values, &QListWidget::itemChanged, this, [this] { rebuildLanes(); });
    connect(span, &QComboBox::currentIndexChanged, this, [this] { rebuildLanes(); });
    connect(pause, &QPushButton::toggled, this, &LiveChartWindow::setPaused);
    connect(png, &QPushButton::clicked, this, [this] {
        askAndExport(QStringLiteral("PNG (*.png)"), QStringLiteral("png"),
                     &LiveChartWindow::exportPng);
    });
    connect(tsv, &QPushButton::clicked, this, [this] {
        askAndExport(QStringLiteral("TSV (*.tsv *.txt)"), QStringLiteral("tsv"),
                     &LiveChartWindow::exportTsv);
    });
    return panel;
}

std::vector<console::ControlId> LiveChartWindow::chosen() const {
    return checkedKeys<console::ControlId>(*values);
}

void LiveChartWindow::choose(const std::vector<console::ControlId>& ids) {
    checkKeys(*values, ids);
    rebuildLanes();
}

std::uint32_t LiveChartWindow::spanMs() const {
    return static_cast<std::uint32_t>(span->currentData().toInt()) * 60u * 1000u;
}

void LiveChartWindow::setPaused(bool on) {
    paused = on;
    pause->setChecked(on);
    if (!paused) {
        rebuildLanes();
    }
}

// Only the samples that came since the last refresh are taken: the numbers are
// kept, never read again from text, and the picture draws one column per pixel.
void LiveChartWindow::refresh() {
    if (paused) {
        return;
    }
    for (LiveLanes::Lane& lane : picture->lanes()) {
        for (const console::LivePoint& point : history.seriesAfter(lane.id, drawnCount)) {
            lane.points.push_back(point);
        }
    }
    drawnCount = history.addedCount();
    placeWindow();
}

void LiveChartWindow::rebuildLanes() {
    std::vector<LiveLanes::Lane>& lanes = picture->lanes();
    lanes.clear();
    for (const console::ControlId id : chosen()) {
        LiveLanes::Lane lane;
        lane.id = id;
        lane.name = nameOf(id);
        lane.unit = QString::fromStdString(console::chartUnit(id));
        lane.colour = laneColour(lanes.size());
        for (const console::LivePoint& point : history.series(id, spanMs())) {
            lane.points.push_back(point);
        }
        lanes.push_back(std::move(lane));
    }
    drawnCount = history.addedCount();
    saveSettings();
    placeWindow();
}

void LiveChartWindow::placeWindow() {
    const double newest = history.newestSeconds();
    const std::int64_t clockAtZero =
        history.empty() ? QDateTime::currentMSecsSinceEpoch() : history.clockMsAt(0);
    picture->setWindow(newest - spanMs() / 1000.0, newest, clockAtZero);
    picture->dropOld();
}

QString LiveChartWindow::exportCaption() const {
    QStringList names;
    for (const LiveLanes::Lane& lane : picture->lanes()) {
        names.append(lane.name);
    }
    QString ecu = QString::fromStdString(history.ecuType()).trimmed();
    if (ecu.isEmpty()) {
        ecu = QStringLiteral("ЭБУ не определён");
    }
    return QStringLiteral("%1 · %2 · %3")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")), ecu,
             names.join(QStringLiteral(", ")));
}

bool LiveChartWindow::exportPng(const QString& path) const {
    const QString caption = exportCaption();
    if (!picture->isVisible()) {
        picture->resize(picture->sizeHint());
    }
    const int width = picture->width();
    const QRect captionRect = picture->fontMetrics().boundingRect(QRect(0, 0, width - 16, 1000),
                                                                  Qt::TextWordWrap, caption);
    const int top = captionRect.height() + 12;
    QImage image(width, top + picture->height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(picture->font());
    painter.drawText(QRect(8, 6, width - 16, captionRect.height()), Qt::TextWordWrap, caption);
    picture->render(&painter, QPoint(0, top));
    painter.end();
    return image.save(path, "PNG");
}

bool LiveChartWindow::exportTsv(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const std::vector<console::ControlId> ids = chosen();
    const std::string text = history.tsv(ids, spanMs());
    return file.write(text.data(), static_cast<qint64>(text.size())) ==
           static_cast<qint64>(text.size());
}

void LiveChartWindow::askAndExport(const QString& filter, const QString& suffix,
                                   bool (LiveChartWindow::*write)(const QString&) const) {
    QString path = QFileDialog::getSaveFileName(
        this, windowTitle(),
        QStringLiteral("график_%1.")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"))) +
            suffix,
        filter);
    if (path.isEmpty()) {
        return;
    }
    if (!path.contains(u'.')) {
        path += u'.' + suffix;
    }
    if (!(this->*write)(path)) {
        QMessageBox::critical(this, QStringLiteral("Ошибка исполнения"),
                              QStringLiteral("Не возможно открыть файл."));
    }
}

void LiveChartWindow::loadSettings() {
    const QSettings settings;
    restoreGeometry(settings.value(geometryKey).toByteArray());
    const QScreen* shownOn = screen();
    const QSize available = shownOn != nullptr ? shownOn->availableSize() : QSize(1366, 728);
    if (width() < 900 || height() < 600 || width() > available.width() ||
        height() > available.height()) {
        resize(liveChartOpeningSize(available));
    }
    const QStringList byDefault{QString::number(console::control::FREQ),
                                QString::number(console::control::TWAT)};
    const QStringList saved = settings.value(valuesKey, byDefault).toStringList();
    std::vector<console::ControlId> ids;
    for (const QString& id : saved) {
        ids.push_back(id.toInt());
    }
    const int index = span->findData(settings.value(spanKey, spanMinutes[defaultSpanIndex]));
    const QSignalBlocker blocker(span);
    span->setCurrentIndex(index < 0 ? defaultSpanIndex : index);
    checkKeys(*values, ids);
}

void LiveChartWindow::saveSettings() const {
    QSettings settings;
    QStringList ids;
    for (const console::ControlId id : chosen()) {
        ids.append(QString::number(id));
    }
    settings.setValue(valuesKey, ids);
    settings.setValue(spanKey, span->currentData());
    settings.setValue(geometryKey, saveGeometry());
}

}  // namespace ecuprobe::ui
