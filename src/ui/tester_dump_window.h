#pragma once

#include <QString>
#include <QWidget>

#include <vector>

#include "review/dump_file.h"
#include "ui/printable_view.h"

class QPlainTextEdit;
class QTreeWidget;

namespace ecuprobe::ui {

// A tester dump's reports: the list of them (title, date, comment) and the
// chosen one's text. Prints the chosen report, a state report as a table of its
// values. Only reads: the file is never written.
class TesterDumpWindow final : public QWidget, public PrintableView {
    Q_OBJECT

public:
    TesterDumpWindow(std::vector<review::DumpEntry> entries, QString path,
                     QWidget* parent = nullptr);

    // The report shown, counted from 0 in the file's order.
    int currentEntry() const;
    void showEntry(int index);
    QString shownText() const;

    QString printTitle() const override;
    void paintPages(QPagedPaintDevice& device) const override;

private:
    void fillList();
    int listWidthNeeded() const;

    std::vector<review::DumpEntry> reports;
    QString fileName;
    QTreeWidget* list;
    QPlainTextEdit* text;
};

}  // namespace ecuprobe::ui
