#include "ui/comparison_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/live_lanes.h"

namespace ecuprobe::ui {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// "Коментарий" and the identity under the title, where the dump tells them.
QString notesText(const ComparisonContent& content) {
    QStringList lines;
    if (const std::vector<std::string>* identity = content.identity()) {
        QStringList fields;
        for (const std::string& field : *identity) {
            fields.append(fromUtf8(field));
        }
        lines.append(fields.join(QStringLiteral(";   ")));
    }
    for (const ComparedRun& run : content.runs) {
        if (!run.notes.comment.empty()) {
            lines.append(run.name + QStringLiteral(": Коментарий: ") +
                         fromUtf8(run.notes.comment).replace(u'\n', u' '));
        }
    }
    return lines.join(u'\n');
}

}  // namespace

ComparisonWindow::ComparisonWindow(ComparisonContent content, QWidget* parent)
    : QWidget(parent, Qt::Window), shown(std::move(content)) {
    setObjectName(QStringLiteral("comparisonWindow"));
    setWindowTitle(printTitle());
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(printTitle(), this);
    title->setObjectName(QStringLiteral("comparisonTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    if (const QString notes = notesText(shown); !notes.isEmpty()) {
        auto* label = new QLabel(notes, this);
        label->setObjectName(QStringLiteral("comparisonNotes"));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(new ComparisonChart(shown.plot, shown.legend(), split));
    table = new QTableWidget(split);
    table->setObjectName(QStringLiteral("figures"));
    split->addWidget(table);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);
    fillTable();
    resize(liveChartOpeningSize(screen()->availableGeometry().size()));
}

void ComparisonWindow::fillTable() {
    const review::FigureTable& figures = shown.table;
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setRowCount(static_cast<int>(figures.rows.size()));
    table->setColumnCount(static_cast<int>(figures.header.size()) - 1);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (std::size_t c = 1; c < figures.header.size(); ++c) {
        const QString date = fromUtf8(figures.dates[c]);
        auto* head = new QTableWidgetItem(fromUtf8(figures.header[c]) +
                                          (date.isEmpty() ? QString() : u'\n' + date));
        if (const int run = figures.runOfColumn[c]; run >= 0) {
            head->setForeground(runColour(static_cast<std::size_t>(run)));
        }
        table->setHorizontalHeaderItem(static_cast<int>(c) - 1, head);
    }
    for (std::size_t r = 0; r < figures.rows.size(); ++r) {
        const auto& row = figures.rows[r];
        table->setVerticalHeaderItem(static_cast<int>(r), new QTableWidgetItem(fromUtf8(row[0])));
        for (std::size_t c = 1; c < row.size(); ++c) {
            auto* cell = new QTableWidgetItem(fromUtf8(row[c]));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(r), static_cast<int>(c) - 1, cell);
        }
    }
    table->resizeColumnsToContents();
}

QString ComparisonWindow::printTitle() const {
    return shown.title();
}

void ComparisonWindow::paintPages(QPagedPaintDevice& device) const {
    QPainter painter(&device);
    if (!painter.isActive()) {
        return;
    }
    paintComparisonPage(painter, QRectF(painter.viewport()), shown);
}

}  // namespace ecuprobe::ui
