#pragma once

#include <QObject>

class CGraphWnd;
class Prompts;

// The graph window's "Печать...": prints the visible part of the graph on one sheet, on a
// worker thread, one printout at a time.
class GraphPrinting : public QObject
{
    Q_OBJECT
public:
    explicit GraphPrinting(Prompts &prompts, QObject *parent = nullptr);
    // Waits for a printout still running.
    ~GraphPrinting() override;

    // Asks for the printer and prints what frame shows, returning as soon as the printout has
    // started. Everything printed is copied from frame first, so the frame may change or go
    // while it runs. Cancelling the dialog does nothing; a dialog that leaves neither a
    // printer nor a file to print to is told to the user, and so is a request while the
    // previous printout still runs. Call from the GUI thread.
    void print(CGraphWnd &frame);

    // From the start of a printout until its page has been handed to the printer.
    bool isPrinting() const { return m_printing; }

signals:
    // The printout that was running has ended.
    void finished();

private:
    Prompts &m_prompts;
    bool m_printing = false;
};
