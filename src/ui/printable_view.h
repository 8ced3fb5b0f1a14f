#pragma once

#include <QString>

class QPagedPaintDevice;

namespace ecuprobe::ui {

// A window showing saved data that File > Print, Print Preview and "Экспорт в PDF"
// can put on paper. The pages are drawn from the window's data, not grabbed from
// the screen, so a printer and a PDF get the same sharp page at their own
// resolution.
class PrintableView {
public:
    virtual ~PrintableView() = default;

    // What the printed document is called: the print job's name and the PDF's title.
    virtual QString printTitle() const = 0;

    // Draws every page on `device` (a QPrinter or a QPdfWriter), starting with the
    // device's current page and calling newPage() between pages.
    virtual void paintPages(QPagedPaintDevice& device) const = 0;
};

}  // namespace ecuprobe::ui
