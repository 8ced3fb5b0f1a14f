#pragma once

#include <QWidget>

#include "ui/comparison_page.h"
#include "ui/printable_view.h"

class QTableWidget;

namespace ecuprobe::ui {

// Saved runs of one test side by side: their curves over one chart and their
// figures in a table with each run's difference to the first. One run alone is
// the same window with one column.
class ComparisonWindow final : public QWidget, public PrintableView {
    Q_OBJECT

public:
    ComparisonWindow(ComparisonContent content, QWidget* parent);

    const ComparisonContent& content() const { return shown; }
    QTableWidget* figures() const { return table; }

    QString printTitle() const override;
    void paintPages(QPagedPaintDevice& device) const override;

private:
    void fillTable();

    ComparisonContent shown;
    QTableWidget* table = nullptr;
};

}  // namespace ecuprobe::ui
