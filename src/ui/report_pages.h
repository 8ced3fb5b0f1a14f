#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "review/dump_file.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace ecuprobe::ui {

// A report of a tester dump laid out on paper: its title, date and comment, then
// a state report's fields as a table (name, value, unit) or a test report's
// lines as written; a page ends where the next row would not fit, and the
// table's head starts each page again. Laid out once, then painted page by page.
class ReportPages {
public:
    // `line`: a test report's line as written, in a fixed-pitch font for its tabs.
    enum class Style : std::uint8_t { title, text, head, cell, heading, line, rule, footer };
    struct Item {
        QRectF box;
        QString text;
        Style style;
    };
    using Page = std::vector<Item>;

    // `area`: the printable part of a page, in the pixels of `device`, whose
    // resolution the fonts are measured in. `source`: the file's name for the footer.
    ReportPages(const review::DumpEntry& entry, const QString& source, const QPaintDevice& device,
                const QRectF& area);

    const std::vector<Page>& pages() const { return laid; }
    void paint(QPainter& painter, std::size_t page) const;

private:
    void head(const review::DumpEntry& entry);
    void fieldTable(const review::DumpEntry& entry);
    void tableHead();
    void reportLines(const review::DumpEntry& entry);
    void footers(const QString& source);
    // Starts a new page when `height` more does not fit on this one; true then.
    bool makeRoom(double height);
    double textHeight(const QString& text, Style style, double width) const;
    void place(const QString& text, Style style, double left, double width, double height);
    const QFont& fontOf(Style style) const;

    const QPaintDevice& on;
    QRectF page;
    QFont body;
    QFont bold;
    QFont large;
    QFont fixed;
    // The reports line their values up with tabs of eight characters.
    double tabDistance = 0;
    double y = 0;
    double footerHeight = 0;
    std::vector<Page> laid;
};

// A fixed-pitch font with Cyrillic, for reports lined up with tabs.
QFont reportFixedFont(double points);

// The dump's calendar text ("Tue Feb  6 09:10:00 2024") as a Russian reader
// writes it ("06.02.2024 09:10:00"); the text as it is when it is no such date.
QString dumpDateText(const std::string& calendar);

// The part of the device's page to draw on, in its pixels: the page within the
// device's own margins, taken in further where those are narrower than 15 mm.
QRectF printableArea(const QPagedPaintDevice& device);

}  // namespace ecuprobe::ui
