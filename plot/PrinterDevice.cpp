#include "plot/PrinterDevice.h"

#include "companions/Prompts.h"

#include <QFile>
#include <QPrinter>

PrinterDevice::PrinterDevice(std::unique_ptr<QPrinter> printer) : m_printer(std::move(printer)) {}

PrinterDevice::~PrinterDevice()
{
    endDocument();
}

QSize PrinterDevice::printableSize() const
{
    return {m_printer->widthMM(), m_printer->heightMM()};
}

bool PrinterDevice::startPage()
{
    switch (m_state) {
    case State::NotOpened:
        m_state = State::Closed;
        // What was drawn before the first page stays off the paper.
        m_canvas.reset();
        if (!m_painter.begin(m_printer.get()))
            return false;
        m_state = State::Open;
        // The canvas takes the printer's resolution, which is known once it is open.
        m_canvas.emplace(m_painter, QPainterCanvas::Mapping::Lometric);
        return true;
    case State::Open:
        m_canvas->flush();
        return m_printer->newPage();
    case State::Closed:
        break;
    }
    return false;
}

Canvas &PrinterDevice::canvas()
{
    // Before the first page the canvas stands over the inactive painter and draws nothing.
    if (!m_canvas)
        m_canvas.emplace(m_painter, QPainterCanvas::Mapping::Lometric);
    return *m_canvas;
}

void PrinterDevice::endDocument()
{
    if (m_state == State::Open) {
        m_canvas->flush();
        m_painter.end();
    }
    m_state = State::Closed;
}

void PrinterDevice::abortDocument()
{
    if (m_state != State::Open) {
        m_state = State::Closed;
        return;
    }
    m_canvas->flush();
    // Only some print engines can drop a document; a file that cannot is removed instead,
    // so that no incomplete file passes for a whole printout.
    const bool dropped = m_printer->abort();
    m_painter.end();
    m_state = State::Closed;
    const QString file = m_printer->outputFileName();
    if (!dropped && !file.isEmpty())
        QFile::remove(file);
}

namespace {

bool hasPrintDestination(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return !printer.outputFileName().isEmpty();
    return printer.isValid();
}

} // namespace

std::unique_ptr<QPrinter> ChoosePrinter(Prompts &prompts, const QString &docName)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(docName);
    if (!prompts.printDialog(*printer))
        return nullptr;
    if (!hasPrintDestination(*printer)) {
        prompts.message(QStringLiteral("Не установлен принтер"), ErrorCaption,
                        Prompts::Icon::Exclamation);
        return nullptr;
    }
    return printer;
}
