#include "ui/print_output.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>

#include <functional>

#include "ui/printable_view.h"

namespace ecuprobe::ui {

namespace {

// The views lay out their own margins on the whole A4 sheet.
void prepare(QPrinter& printer, const PrintableView& view) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(view.printTitle());
    printer.setCreator(QStringLiteral("ECUPROBE"));
}

const PrintableView* printable(const QPointer<QWidget>& view) {
    return dynamic_cast<const PrintableView*>(view.data());
}

// A printer made ready for the view's page, handed to `ask` with a guard that
// tells whether the view is still there once the dialog has been answered.
void withPrinter(QWidget* view,
                 const std::function<void(QPrinter&, const QPointer<QWidget>&)>& ask) {
    const QPointer<QWidget> guard(view);
    if (printable(guard) == nullptr) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, *printable(guard));
    ask(printer, guard);
}

}  // namespace

void printView(QWidget* view, QWidget* parent) {
    withPrinter(view, [parent](QPrinter& printer, const QPointer<QWidget>& guard) {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Печать: ") + printable(guard)->printTitle());
        if (dialog.exec() == QDialog::Accepted && printable(guard) != nullptr) {
            printable(guard)->paintPages(printer);
        }
    });
}

void previewView(QWidget* view, QWidget* parent) {
    withPrinter(view, [parent](QPrinter& printer, const QPointer<QWidget>& guard) {
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Предварительный просмотр: ") +
                              printable(guard)->printTitle());
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [guard](QPrinter* shown) {
                             if (const PrintableView* pages = printable(guard)) {
                                 pages->paintPages(*shown);
                             }
                         });
        dialog.exec();
    });
}

bool writePdf(const PrintableView& view, const QString& path, QString& problem) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        problem = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(300);
        writer.setTitle(view.printTitle());
        writer.setCreator(QStringLiteral("ECUPROBE"));
        view.paintPages(writer);
    }
    if (file.size() == 0) {
        file.cancelWriting();
        problem = QStringLiteral("страница не нарисована");
        return false;
    }
    if (!file.commit()) {
        problem = file.errorString();
        return false;
    }
    return true;
}

QString pdfFileName(const PrintableView& view) {
    QString name = view.printTitle();
    for (const QChar refused : QStringLiteral("\\/:*?\"<>|")) {
        name.replace(refused, u'_');
    }
    return name.trimmed() + QStringLiteral(".pdf");
}

void exportViewToPdf(QWidget* view, QWidget* parent) {
    const QPointer<QWidget> guard(view);
    if (printable(guard) == nullptr) {
        return;
    }
    auto* dialog = new QFileDialog(parent, QStringLiteral("Экспорт в PDF"), QString(),
                                   QStringLiteral("Документы PDF (*.pdf);;Все файлы (*)"));
    dialog->setObjectName(QStringLiteral("pdfFileDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    dialog->selectFile(pdfFileName(*printable(guard)));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(
        dialog, &QFileDialog::fileSelected, parent, [guard, parent](const QString& path) {
            QString problem;
            if (printable(guard) != nullptr && !writePdf(*printable(guard), path, problem)) {
                QMessageBox::critical(parent, QStringLiteral("Ошибка исполнения"),
                                      QStringLiteral("PDF не записан: %1\n%2").arg(path, problem));
            }
        });
    dialog->open();
}

}  // namespace ecuprobe::ui
