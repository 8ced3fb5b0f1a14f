#include "review/figure_table.h"

#include "reports/report_text.h"

namespace ecuprobe::review {

namespace {

std::string percentText(const std::optional<double>& percent) {
    return percent ? reports::fixed(*percent, 1) + "%" : std::string("-");
}

}  // namespace

FigureTable figureTable(const Comparison& comparison, std::span<const std::string> names,
                        std::span<const std::string> dates) {
    FigureTable table{{"Показатель"}, {"Дата"}, {}, {-1}};
    for (std::size_t r = 0; r < names.size(); ++r) {
        table.header.push_back(names[r]);
        table.dates.push_back(dates[r]);
        table.runOfColumn.push_back(static_cast<int>(r));
        if (r > 0) {
            table.header.insert(table.header.end(), {"Δ", "Δ %"});
            table.dates.insert(table.dates.end(), {"", ""});
            table.runOfColumn.insert(table.runOfColumn.end(), {-1, -1});
        }
    }
    for (std::size_t f = 0; f < comparison.rows.size(); ++f) {
        const FigureRow& row = comparison.rows[f];
        std::vector<std::string> line{row.caption + ", " + row.unit};
        for (std::size_t r = 0; r < names.size(); ++r) {
            line.push_back(figureText(row, comparison.values[r][f]));
            if (r > 0) {
                line.push_back(figureText(row, comparison.delta(r, f)));
                line.push_back(percentText(comparison.deltaPercent(r, f)));
            }
        }
        table.rows.push_back(std::move(line));
    }
    return table;
}

}  // namespace ecuprobe::review
