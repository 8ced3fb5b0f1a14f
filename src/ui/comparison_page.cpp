#include "ui/comparison_page.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <numeric>

namespace ecuprobe::ui {

namespace {

constexpr qreal pageWidthMm = 210;
constexpr qreal marginMm = 15;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Measures in millimetres, drawn in the device's pixels.
struct Sheet {
    QPainter& painter;
    qreal mm;  // device pixels per millimetre
    QFont font(qreal heightMm, bool bold = false) const {
        QFont chosen(QStringLiteral("Sans Serif"));
        chosen.setPixelSize(std::max(1, qRound(heightMm * mm)));
        chosen.setBold(bold);
        return chosen;
    }
    // Draws a line of text at y and returns the y under it.
    qreal text(const QFont& font, qreal x, qreal y, qreal width, const QString& line) const {
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        painter.drawText(QRectF(x, y, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(line, Qt::ElideRight, width));
        return y + metrics.height();
    }
};

qreal paintIdentity(const Sheet& s, const std::vector<std::string>& fields, const QRectF& area) {
    const QFont font = s.font(3);
    const qreal half = area.width() / 2;
    qreal y = area.top();
    for (std::size_t i = 0; i < fields.size(); i += 2) {
        s.text(font, area.left(), y, half - s.mm * 2, fromUtf8(fields[i]));
        if (i + 1 < fields.size()) {
            s.text(font, area.left() + half, y, half, fromUtf8(fields[i + 1]));
        }
        y += QFontMetricsF(font, s.painter.device()).height();
    }
    return y;
}

qreal paintRuns(const Sheet& s, const ComparisonContent& content, const QRectF& area) {
    const QFont font = s.font(3);
    qreal y = area.top();
    for (std::size_t i = 0; i < content.runs.size(); ++i) {
        const ComparedRun& run = content.runs[i];
        const qreal mid = y + QFontMetricsF(font, s.painter.device()).height() / 2;
        s.painter.setPen(QPen(runColour(i), s.mm * 0.8));
        s.painter.drawLine(QPointF(area.left(), mid), QPointF(area.left() + s.mm * 6, mid));
        s.painter.setPen(Qt::black);
        QString line = run.name + QStringLiteral("   Дата: ") + fromUtf8(run.run.date);
        if (!run.notes.comment.empty()) {
            line += QStringLiteral("   Коментарий: ") +
                    fromUtf8(run.notes.comment).replace(u'\n', QStringLiteral(" "));
        }
        y = s.text(font, area.left() + s.mm * 8, y, area.width() - s.mm * 8, line);
    }
    return y;
}

std::vector<std::vector<QString>> cellsOf(const review::FigureTable& table) {
    std::vector<std::vector<QString>> cells{{}, {}};
    for (const std::string& cell : table.header) {
        cells[0].push_back(fromUtf8(cell));
    }
    for (const std::string& cell : table.dates) {
        cells[1].push_back(fromUtf8(cell));
    }
    for (const auto& row : table.rows) {
        cells.emplace_back();
        for (const std::string& cell : row) {
            cells.back().push_back(fromUtf8(cell));
        }
    }
    return cells;
}

// Columns as wide as their widest cell, the font made smaller until they fit.
std::vector<qreal> fittedColumns(const Sheet& s, const std::vector<std::vector<QString>>& cells,
                                 qreal width, QFont& font) {
    std::vector<qreal> widths(cells[0].size(), 0);
    for (qreal height = 3;; height *= 0.9) {
        font = s.font(height);
        const QFontMetricsF metrics(font, s.painter.device());
        std::fill(widths.begin(), widths.end(), 0);
        for (const auto& row : cells) {
            for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
                widths[c] = std::max(widths[c], metrics.horizontalAdvance(row[c]) + s.mm * 2);
            }
        }
        if (std::accumulate(widths.begin(), widths.end(), 0.0) <= width || height < 1.5) {
            return widths;
        }
    }
}

qreal paintTable(const Sheet& s, const review::FigureTable& table, const QRectF& area) {
    const std::vector<std::vector<QString>> cells = cellsOf(table);
    QFont font;
    const std::vector<qreal> widths = fittedColumns(s, cells, area.width(), font);
    const qreal rowHeight = QFontMetricsF(font, s.painter.device()).height() * 1.25;
    qreal y = area.top();
    for (std::size_t r = 0; r < cells.size(); ++r) {
        QFont rowFont = font;
        rowFont.setBold(r == 0);
        s.painter.setFont(rowFont);
        qreal x = area.left();
        for (std::size_t c = 0; c < cells[r].size() && c < widths.size(); ++c) {
            const int run = table.runOfColumn[c];
            s.painter.setPen(r == 0 && run >= 0 ? runColour(static_cast<std::size_t>(run))
                                                : QColor(Qt::black));
            const Qt::Alignment align = c == 0 || r < 2 ? Qt::AlignLeft : Qt::AlignRight;
            s.painter.drawText(QRectF(x + s.mm, y, widths[c] - s.mm * 2, rowHeight),
                               align | Qt::AlignVCenter, cells[r][c]);
            x += widths[c];
        }
        y += rowHeight;
        // The dates row closes the head.
        s.painter.setPen(QPen(QColor(r == 1 ? Qt::black : Qt::gray), s.mm * 0.15));
        s.painter.drawLine(QPointF(area.left(), y), QPointF(x, y));
    }
    return y;
}

}  // namespace

QString ComparisonContent::title() const {
    const QString name =
        test != nullptr
            ? QString::fromUtf8(test->title.data(), static_cast<qsizetype>(test->title.size()))
            : QString();
    return runs.size() > 1 ? name + QStringLiteral(": сравнение заездов") : name;
}

std::vector<LegendEntry> ComparisonContent::legend() const {
    std::vector<LegendEntry> entries;
    for (const ComparedRun& run : runs) {
        entries.push_back({run.name, fromUtf8(run.run.date)});
    }
    return entries;
}

const std::vector<std::string>* ComparisonContent::identity() const {
    for (const ComparedRun& run : runs) {
        if (!run.notes.identity.empty()) {
            return &run.notes.identity;
        }
    }
    return nullptr;
}

ComparisonContent comparisonContent(std::vector<ComparedRun> runs,
                                    const review::Comparison& comparison) {
    ComparisonContent content;
    content.test = comparison.test;
    std::vector<std::string> names;
    std::vector<std::string> dates;
    std::vector<review::SampleRun> samples;
    for (const ComparedRun& run : runs) {
        names.push_back(run.name.toStdString());
        dates.push_back(run.run.date);
        samples.push_back(run.run);
    }
    content.table = review::figureTable(comparison, names, dates);
    content.plot = review::comparisonPlot(samples);
    content.runs = std::move(runs);
    return content;
}

void paintComparisonPage(QPainter& painter, const QRectF& page, const ComparisonContent& content) {
    const Sheet s{painter, page.width() / pageWidthMm};
    const QRectF area =
        page.adjusted(marginMm * s.mm, marginMm * s.mm, -marginMm * s.mm, -marginMm * s.mm);
    painter.save();
    painter.setPen(Qt::black);
    qreal y = s.text(s.font(5, true), area.left(), area.top(), area.width(), content.title());
    y += s.mm * 3;
    if (const std::vector<std::string>* identity = content.identity()) {
        y = paintIdentity(s, *identity, QRectF(area.left(), y, area.width(), 0)) + s.mm * 3;
    }
    y = paintRuns(s, content, QRectF(area.left(), y, area.width(), 0)) + s.mm * 4;
    y = paintTable(s, content.table, QRectF(area.left(), y, area.width(), 0)) + s.mm * 6;
    const ChartLook look{s.font(2.8), Qt::black, Qt::black, QColor(Qt::gray), s.mm * 0.2};
    paintComparisonChart(painter, QRectF(area.left(), y, area.width(), area.bottom() - y),
                         content.plot, content.legend(), look);
    painter.restore();
}

}  // namespace ecuprobe::ui
