#include "ui/report_pages.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPaintDevice>
#include <QPainter>
#include <QTextOption>

#include <cmath>

#include "review/report_fields.h"

namespace ecuprobe::ui {

namespace {

// A page keeps at least this far from the paper's edge, whatever the printer's
// own margins.
constexpr double paperMarginMm = 15.0;
constexpr double mmPerInch = 25.4;
constexpr int wrapping = Qt::TextWordWrap | Qt::TextExpandTabs;
// The table's columns as shares of the page's width: name, value, unit.
constexpr double nameShare = 0.56;
constexpr double valueShare = 0.28;

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QFont pointFont(double points, bool boldFace) {
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(boldFace);
    return font;
}

}  // namespace

QFont reportFixedFont(double points) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // The system's fixed font may lack Cyrillic (Noto Sans Mono on a bare
    // Debian), and its fallback is not fixed-pitch: these have both.
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Courier New"), font.family()});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    return font;
}

QString dumpDateText(const std::string& calendar) {
    const QString written = QString::fromStdString(calendar);
    const QDateTime read =
        QDateTime::fromString(written.simplified(), QStringLiteral("ddd MMM d HH:mm:ss yyyy"));
    return read.isValid() ? read.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : written;
}

QRectF printableArea(const QPagedPaintDevice& device) {
    const QMarginsF margins = device.pageLayout().margins(QPageLayout::Millimeter);
    const double dotsPerMmX = device.logicalDpiX() / mmPerInch;
    const double dotsPerMmY = device.logicalDpiY() / mmPerInch;
    const auto more = [](double has) { return std::max(0.0, paperMarginMm - has); };
    return QRectF(0, 0, device.width(), device.height())
        .adjusted(more(margins.left()) * dotsPerMmX, more(margins.top()) * dotsPerMmY,
                  -more(margins.right()) * dotsPerMmX, -more(margins.bottom()) * dotsPerMmY);
}

ReportPages::ReportPages(const review::DumpEntry& entry, const QString& source,
                         const QPaintDevice& device, const QRectF& area)
    : on(device),
      page(area),
      body(pointFont(10, false)),
      bold(pointFont(10, true)),
      large(pointFont(14, true)),
      fixed(reportFixedFont(9)) {
    tabDistance = QFontMetricsF(fixed, &on).horizontalAdvance(u' ') * 8;
    footerHeight = 2 * QFontMetricsF(body, &on).height();
    laid.emplace_back();
    y = page.top();
    head(entry);
    if (review::isStateReport(entry)) {
        fieldTable(entry);
    } else {
        reportLines(entry);
    }
    footers(source);
}

const QFont& ReportPages::fontOf(Style style) const {
    switch (style) {
        case Style::title:
            return large;
        case Style::head:
        case Style::heading:
            return bold;
        case Style::line:
            return fixed;
        default:
            return body;
    }
}

double ReportPages::textHeight(const QString& text, Style style, double width) const {
    const QFontMetricsF metrics(fontOf(style), &on);
    const QRectF needed = metrics.boundingRect(QRectF(0, 0, width, 1e6), wrapping,
                                               text.isEmpty() ? QStringLiteral(" ") : text,
                                               static_cast<int>(std::lround(tabDistance)));
    return std::max(needed.height(), metrics.height());
}

void ReportPages::place(const QString& text, Style style, double left, double width,
                        double height) {
    laid.back().push_back({QRectF(left, y, width, height), text, style});
}

bool ReportPages::makeRoom(double height) {
    if (y + height <= page.bottom() - footerHeight || y == page.top()) {
        return false;
    }
    laid.emplace_back();
    y = page.top();
    return true;
}

void ReportPages::head(const review::DumpEntry& entry) {
    const double width = page.width();
    const QString title = fromUtf8(entry.title);
    const double titleHeight = textHeight(title, Style::title, width);
    place(title, Style::title, page.left(), width, titleHeight);
    y += titleHeight * 1.4;
    QStringList lines{QStringLiteral("Дата: ") + dumpDateText(entry.date)};
    if (!entry.comment.empty()) {
        lines.append(QStringLiteral("Комментарий: ") + fromUtf8(entry.comment));
    }
    for (const QString& line : lines) {
        const double height = textHeight(line, Style::text, width);
        place(line, Style::text, page.left(), width, height);
        y += height;
    }
    y += QFontMetricsF(body, &on).height();
}

void ReportPages::tableHead() {
    const double height = QFontMetricsF(bold, &on).height() * 1.3;
    const double width = page.width();
    place(QStringLiteral("Параметр"), Style::head, page.left(), width * nameShare, height);
    place(QStringLiteral("Значение"), Style::head, page.left() + width * nameShare,
          width * valueShare, height);
    place(QStringLiteral("Ед. изм."), Style::head, page.left() + width * (nameShare + valueShare),
          width * (1 - nameShare - valueShare), height);
    y += height;
    place({}, Style::rule, page.left(), width, 0);
}

void ReportPages::fieldTable(const review::DumpEntry& entry) {
    const double width = page.width();
    const double pad = QFontMetricsF(body, &on).height() * 0.3;
    const double nameWidth = width * nameShare - pad;
    const double unitWidth = width * (1 - nameShare - valueShare);
    tableHead();
    for (const review::ReportField& field : review::reportFields(entry)) {
        const QString name = fromUtf8(field.name);
        const QString value = fromUtf8(field.value);
        const QString unit = fromUtf8(field.unit);
        // A value without a unit (a passport, the equipment) may use its column too.
        const double valueWidth = width * (unit.isEmpty() ? 1 - nameShare : valueShare) - pad;
        if (value.isEmpty() && unit.isEmpty()) {
            // "Признаки", "Неисправности": a heading over the rows after it, or
            // a field the ECU left empty; either reads well across the row.
            const double height = textHeight(name, Style::heading, width) + pad;
            if (makeRoom(height)) {
                tableHead();
            }
            place(name, Style::heading, page.left(), width, height);
            y += height;
            place({}, Style::rule, page.left(), width, 0);
            continue;
        }
        const double height = std::max({textHeight(name, Style::cell, nameWidth),
                                        textHeight(value, Style::cell, valueWidth),
                                        textHeight(unit, Style::cell, unitWidth)}) +
                              pad;
        if (makeRoom(height)) {
            tableHead();
        }
        place(name, Style::cell, page.left(), nameWidth, height);
        place(value, Style::cell, page.left() + width * nameShare, valueWidth, height);
        place(unit, Style::cell, page.left() + width * (nameShare + valueShare), unitWidth, height);
        y += height;
        place({}, Style::rule, page.left(), width, 0);
    }
}

void ReportPages::reportLines(const review::DumpEntry& entry) {
    const double width = page.width();
    for (const std::string& line : review::bodyLines(entry)) {
        const QString text = fromUtf8(line);
        const double height = textHeight(text, Style::line, width);
        makeRoom(height);
        place(text, Style::line, page.left(), width, height);
        y += height;
    }
}

void ReportPages::footers(const QString& source) {
    const double height = QFontMetricsF(body, &on).height();
    for (std::size_t at = 0; at < laid.size(); ++at) {
        const QString text =
            QStringLiteral("%1 — стр. %2 из %3").arg(source).arg(at + 1).arg(laid.size());
        laid[at].push_back({QRectF(page.left(), page.bottom() - height, page.width(), height), text,
                            Style::footer});
    }
}

void ReportPages::paint(QPainter& painter, std::size_t at) const {
    if (at >= laid.size()) {
        return;
    }
    painter.save();
    for (const Item& item : laid[at]) {
        if (item.style == Style::rule) {
            painter.setPen(QPen(Qt::gray, 0));
            painter.drawLine(item.box.topLeft(), item.box.topRight());
            continue;
        }
        painter.setPen(item.style == Style::footer ? Qt::darkGray : Qt::black);
        painter.setFont(fontOf(item.style));
        const bool row =
            item.style == Style::head || item.style == Style::cell || item.style == Style::heading;
        QTextOption option((item.style == Style::footer ? Qt::AlignRight : Qt::AlignLeft) |
                           (row ? Qt::AlignVCenter : Qt::AlignTop));
        option.setWrapMode(QTextOption::WordWrap);
        option.setTabStopDistance(tabDistance);
        painter.drawText(item.box, item.text, option);
    }
    painter.restore();
}

}  // namespace ecuprobe::ui
