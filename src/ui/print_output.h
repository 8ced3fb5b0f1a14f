#pragma once

#include <QString>

class QWidget;

namespace ecuprobe::ui {

class PrintableView;

// The view is a window that is a PrintableView; it may close while a dialog is
// open (a stop signal closes every window), and then nothing is printed.

// The print dialog, then the view's pages on the printer chosen.
void printView(QWidget* view, QWidget* parent);
// The view's pages in Qt's preview, from where they can be printed too.
void previewView(QWidget* view, QWidget* parent);
// Asks where (a window-modal dialog: this returns at once), then writes the view's
// pages as an A4 PDF; says what went wrong.
void exportViewToPdf(QWidget* view, QWidget* parent);

// Writes the view's pages to path as an A4 PDF, the file replaced whole or not
// at all; false with the reason in problem.
bool writePdf(const PrintableView& view, const QString& path, QString& problem);

// A file name from the view's title, without the characters file systems refuse.
QString pdfFileName(const PrintableView& view);

}  // namespace ecuprobe::ui
