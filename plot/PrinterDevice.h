#pragma once

#include "plot/PrintDevice.h"
#include "plot/QPainterCanvas.h"

#include <QPainter>

#include <memory>
#include <optional>

class QPrinter;

class Prompts;
class QString;

// The print dialog for a document named docName: the printer it set up, or null when the user
// cancelled, or left neither a printer nor a file to print to (the user is told).
std::unique_ptr<QPrinter> ChoosePrinter(Prompts &prompts, const QString &docName);

// A printout's pages on a QPrinter that the print dialog has set up. The printer is opened
// with the first page, so a document without pages leaves nothing behind: no sheet, no file.
// An aborted document printed to a file leaves no file.
class PrinterDevice : public PrintDevice
{
public:
    explicit PrinterDevice(std::unique_ptr<QPrinter> printer);
    ~PrinterDevice() override;

    QSize printableSize() const override;
    bool startPage() override;
    Canvas &canvas() override;
    void endPage() override {}
    void endDocument() override;
    void abortDocument() override;

private:
    enum class State
    {
        NotOpened,
        Open,
        Closed
    };

    std::unique_ptr<QPrinter> m_printer;
    // Declared after the printer, which it must not outlive.
    QPainter m_painter;
    std::optional<QPainterCanvas> m_canvas;
    State m_state = State::NotOpened;
};
