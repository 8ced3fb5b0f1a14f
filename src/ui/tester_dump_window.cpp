#include "ui/tester_dump_window.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>

#include <algorithm>

#include "ui/report_pages.h"

namespace ecuprobe::ui {

TesterDumpWindow::TesterDumpWindow(std::vector<review::DumpEntry> entries, QString path,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      reports(std::move(entries)),
      fileName(QFileInfo(path).fileName()),
      list(new QTreeWidget(this)),
      text(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("testerDump"));
    setWindowTitle(QStringLiteral("Дамп тестера — %1").arg(fileName));
    list->setObjectName(QStringLiteral("entries"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels(
        {QStringLiteral("Отчёт"), QStringLiteral("Дата"), QStringLiteral("Комментарий")});
    text->setObjectName(QStringLiteral("text"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QFont fixed =
        reportFixedFont(QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSizeF());
    text->setFont(fixed);
    // The reports line their values up with tabs of eight characters.
    text->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(u' ') * 8);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(list);
    split->addWidget(text);
    split->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(split);
    fillList();
    connect(list, &QTreeWidget::currentItemChanged, this, [this] {
        const int index = currentEntry();
        text->setPlainText(
            index < 0 ? QString()
                      : QString::fromStdString(reports[static_cast<std::size_t>(index)].text));
    });
    const QScreen* shownOn = screen();
    const QSize available = shownOn != nullptr ? shownOn->availableSize() : QSize(1366, 728);
    resize(QSize(1280, 700).boundedTo(available));
    const int listWidth = std::min(listWidthNeeded(), width() / 2);
    split->setSizes({listWidth, width() - listWidth});
    showEntry(0);
}

void TesterDumpWindow::fillList() {
    for (const review::DumpEntry& entry : reports) {
        const QString comment = QString::fromStdString(entry.comment).replace(u'\n', u' ');
        auto* item = new QTreeWidgetItem(
            list, {QString::fromStdString(entry.title), dumpDateText(entry.date), comment});
        item->setToolTip(2, QString::fromStdString(entry.comment));
    }
    list->resizeColumnToContents(0);
    list->resizeColumnToContents(1);
}

// What the list takes to show its titles, dates and comments uncut.
int TesterDumpWindow::listWidthNeeded() const {
    // QTreeView hides the content width it computes; the view's own call reaches it.
    const QAbstractItemView& view = *list;
    int needed = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < list->columnCount(); ++column) {
        needed += std::max(view.sizeHintForColumn(column), list->header()->sectionSizeHint(column));
    }
    return needed;
}

int TesterDumpWindow::currentEntry() const {
    return list->currentItem() == nullptr ? -1 : list->indexOfTopLevelItem(list->currentItem());
}

void TesterDumpWindow::showEntry(int index) {
    if (index >= 0 && index < list->topLevelItemCount()) {
        list->setCurrentItem(list->topLevelItem(index));
    }
}

QString TesterDumpWindow::shownText() const {
    return text->toPlainText();
}

QString TesterDumpWindow::printTitle() const {
    const int index = currentEntry();
    if (index < 0) {
        return fileName;
    }
    return QStringLiteral("%1 — %2").arg(
        QString::fromStdString(reports[static_cast<std::size_t>(index)].title), fileName);
}

void TesterDumpWindow::paintPages(QPagedPaintDevice& device) const {
    const int index = currentEntry();
    if (index < 0) {
        return;
    }
    const ReportPages pages(reports[static_cast<std::size_t>(index)], fileName, device,
                            printableArea(device));
    QPainter painter(&device);
    for (std::size_t at = 0; at < pages.pages().size(); ++at) {
        if (at > 0) {
            device.newPage();
        }
        pages.paint(painter, at);
    }
}

}  // namespace ecuprobe::ui
