#pragma once

#include "plot/PrintDevice.h"
#include "plot/QPainterCanvas.h"

#include <QPainter>
#include <QPdfWriter>

#include <optional>

class QIODevice;

// The sheets a document can be laid out on.
enum class PaperSize
{
    A4,
    Letter
};

// The paper of the user's locale: Letter where the US measures are the custom, else A4.
PaperSize LocalePaperSize();

// A document of pages written as a PDF into file, each page a whole sheet of paper: the canvas's
// origin is the sheet's top-left corner. Unlike a printer's, the canvas measures texts from the
// device's creation, so a layout can be planned before the first page; what is drawn before it
// lands on the first page. The PDF is whole once endDocument has returned true.
class PdfDevice : public PrintDevice
{
public:
    PdfDevice(QIODevice &file, PaperSize paper, const QString &title);
    ~PdfDevice() override;

    QSize printableSize() const override;
    bool startPage() override;
    Canvas &canvas() override { return *m_canvas; }
    void endPage() override {}
    void endDocument() override;
    void abortDocument() override;

    // Whether the document was ended with every byte handed to the file.
    bool written() const { return m_written; }

private:
    QPdfWriter m_writer;
    QPainter m_painter;
    std::optional<QPainterCanvas> m_canvas;
    bool m_pageStarted = false;
    bool m_closed = false;
    bool m_written = false;
};
