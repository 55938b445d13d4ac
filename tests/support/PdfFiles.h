#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include <functional>

class QPrinter;

// Sets the printer up as the print dialog does when the user picks a PDF file: a page of
// pageMm without margins.
void PrintToPdf(QPrinter &printer, const QString &path, QSizeF pageMm = {210, 297});
// A print dialog answer that confirms, printing to the PDF file at path.
std::function<bool(QPrinter &)> AnswerWithPdf(const QString &path, QSizeF pageMm = {210, 297});

// How pdftotext orders the text: as it is read, or laid out in columns as on the page.
enum class PdfTextOrder
{
    Reading,
    Layout
};

// The text of the PDF file, its pages parted by form feeds; empty when it cannot be read.
QString PdfText(const QString &path, PdfTextOrder order = PdfTextOrder::Reading);
// A field of pdfinfo's report, such as "Pages" or "Title".
QString PdfInfo(const QString &path, const QString &field);
// The first page rendered at dpi dots per inch, left as a PNG beside the PDF; null when it
// cannot be rendered.
QImage PdfPageImage(const QString &path, int dpi);
