#pragma once

#include <QSize>

class Canvas;

// The paper of one printout: a document of pages drawn through a canvas in units of 0.1 mm,
// y upward, with the origin at the printable area's top-left. The document is open from the
// device's creation; it ends with endDocument or is dropped with abortDocument, and after
// either of them no page can be started.
class PrintDevice
{
public:
    virtual ~PrintDevice() = default;

    // Width and height of the printable area in whole millimetres.
    virtual QSize printableSize() const = 0;

    // Starts the next page; false when it cannot be started.
    virtual bool startPage() = 0;
    // The canvas of the page started last; drawing on it outside a page has no effect.
    virtual Canvas &canvas() = 0;
    virtual void endPage() = 0;

    // Hands the pages printed to the printer. A document without pages prints nothing.
    virtual void endDocument() = 0;
    // Drops the document: none of its pages are printed.
    virtual void abortDocument() = 0;
};
