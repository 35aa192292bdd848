// The print preview of the host's printed documents (bills and reports): Qt's preview, fitted to
// the screen and kept where the operator left it, with the command "保存为PDF" in its toolbar. The
// command writes the document's own PDF (the same pages the preview shows) whole or not at all.
#pragma once
#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace host {

struct PreviewContent {
    QString title;         // the window's title
    QString placementKey;  // under which its size and position are kept
    QSize size;            // its size the first time, when the screen has room
    QString pdfToolTip;    // what "保存为PDF" says it saves
    QString pdfPath;       // the file "保存为PDF" proposes
    std::function<void(QPrinter&)> paint;  // paints the pages on the preview's printer
    std::function<QByteArray()> pdf;       // the document as a PDF file's bytes
};

// Shows the preview modally on a printer set up for the document; returns the PDF the operator
// saved from it last, empty when none.
QString ShowPrintPreview(QPrinter& printer, const PreviewContent& content, QWidget* parent);

// Asks where to save (a save dialog proposing `path`); empty when the operator cancels.
QString AskSaveFile(QWidget* parent, const QString& caption, const QString& path, const QString& filter, const QString& suffix);

// "保存为PDF": asks where, proposing `proposed`, and writes the PDF there whole; a failure is shown
// in a "系统提示" box over `parent` and leaves no file. Returns the file written, empty when none.
QString SavePdfAs(QWidget* parent, const QString& proposed, const std::function<QByteArray()>& pdf);

}  // namespace host
