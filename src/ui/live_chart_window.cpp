#include "ui/live_chart_window.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

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
      chart(new QChart),
      view(new QChartView(chart, this)),
      timeAxis(new QValueAxis) {
    setObjectName(QStringLiteral("liveChart"));
    setWindowTitle(QStringLiteral("График"));
    timeAxis->setTitleText(QStringLiteral("Время, с"));
    timeAxis->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->legend()->setAlignment(Qt::AlignTop);
    view->setRenderHint(QPainter::Antialiasing);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(choicePanel());
    layout->addWidget(view, 1);
    loadSettings();
    rebuildSeries();
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
    connect(values, &QListWidget::itemChanged, this, [this] { rebuildSeries(); });
    connect(span, &QComboBox::currentIndexChanged, this, [this] {
        saveSettings();
        drawSeries();
    });
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
    std::vector<console::ControlId> ids;
    for (int row = 0; row < values->count(); ++row) {
        if (values->item(row)->checkState() == Qt::Checked) {
            ids.push_back(values->item(row)->data(Qt::UserRole).toInt());
        }
    }
    return ids;
}

void LiveChartWindow::choose(const std::vector<console::ControlId>& ids) {
    markChosen(ids);
    rebuildSeries();
}

void LiveChartWindow::markChosen(const std::vector<console::ControlId>& ids) {
    const QSignalBlocker blocker(values);
    for (int row = 0; row < values->count(); ++row) {
        QListWidgetItem* item = values->item(row);
        const bool wanted =
            std::find(ids.begin(), ids.end(), item->data(Qt::UserRole).toInt()) != ids.end();
        item->setCheckState(wanted ? Qt::Checked : Qt::Unchecked);
    }
}

std::uint32_t LiveChartWindow::spanMs() const {
    return static_cast<std::uint32_t>(span->currentData().toInt()) * 60u * 1000u;
}

void LiveChartWindow::setPaused(bool on) {
    paused = on;
    pause->setChecked(on);
    if (!paused) {
        drawSeries();
    }
}

void LiveChartWindow::refresh() {
    if (!paused) {
        drawSeries();
    }
}

// One series per chosen value, each with its own value axis, alternately on the
// left and the right, so that 800 rpm and 0.5 V can be read on one picture.
void LiveChartWindow::rebuildSeries() {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes(Qt::Vertical)) {
        chart->removeAxis(axis);
        delete axis;
    }
    int n = 0;
    for (const console::ControlId id : chosen()) {
        auto* series = new QLineSeries;
        series->setName(nameOf(id));
        series->setProperty("control", id);
        chart->addSeries(series);
        auto* axis = new QValueAxis;
        axis->setLinePenColor(series->pen().color());
        axis->setLabelsColor(series->pen().color());
        chart->addAxis(axis, n % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
        series->attachAxis(timeAxis);
        series->attachAxis(axis);
        ++n;
    }
    saveSettings();
    drawSeries();
}

void LiveChartWindow::drawSeries() {
    const double newest = history.newestSeconds();
    const double spanSeconds = spanMs() / 1000.0;
    timeAxis->setRange(std::max(0.0, newest - spanSeconds), std::max(newest, 1.0));
    timeAxis->applyNiceNumbers();
    for (QAbstractSeries* any : chart->series()) {
        auto* series = static_cast<QLineSeries*>(any);
        const auto points = history.series(series->property("control").toInt(), spanMs());
        QList<QPointF> drawn;
        drawn.reserve(static_cast<qsizetype>(points.size()));
        double low = 0;
        double high = 1;
        for (const console::LivePoint& point : points) {
            if (drawn.isEmpty()) {
                low = high = point.value;
            }
            low = std::min(low, point.value);
            high = std::max(high, point.value);
            drawn.append(QPointF(point.seconds, point.value));
        }
        series->replace(drawn);
        auto* axis = static_cast<QValueAxis*>(series->attachedAxes().back());
        const double margin = high > low ? (high - low) * 0.1 : 1.0;
        axis->setRange(low - margin, high + margin);
        axis->applyNiceNumbers();
    }
}

bool LiveChartWindow::exportPng(const QString& path) const {
    return view->grab().save(path, "PNG");
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
    QString path = QFileDialog::getSaveFileName(this, windowTitle(),
                                                QStringLiteral("chart.") + suffix, filter);
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
    markChosen(ids);
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
