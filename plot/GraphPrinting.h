#pragma once

#include "plot/GraphPrintJob.h"

#include <QDeadlineTimer>
#include <QObject>

#include <functional>

class Prompts;

// What the graph window shows, copied for one printout (all but the page size, which the
// printer gives). May throw std::bad_alloc.
using GraphSnapshot = std::function<GraphPrintContext()>;

// The graph window's "Печать...": prints the visible part of the graph on one sheet, on a
// worker thread, one printout at a time.
class GraphPrinting : public QObject
{
    Q_OBJECT
public:
    explicit GraphPrinting(Prompts &prompts, QObject *parent = nullptr);
    // Waits for a printout still running.
    ~GraphPrinting() override;

    // Asks for the printer and prints the snapshot, returning as soon as the printout has
    // started. The snapshot is taken once the printer is chosen, so the graph window may
    // change or go while the printout runs. Cancelling the dialog does nothing; a dialog that
    // leaves neither a printer nor a file to print to is told to the user, and so is a request
    // while the previous printout still runs. Call from the GUI thread.
    void print(const GraphSnapshot &snapshot);

    // Cancels a printout still running, which then prints nothing, and waits until deadline
    // for it to end. Call from the GUI thread.
    void cancel(QDeadlineTimer deadline);

    // From the start of a printout until its page has been handed to the printer.
    bool isPrinting() const { return m_printing; }

signals:
    // The printout that was running has ended.
    void finished();

private:
    Prompts &m_prompts;
    bool m_printing = false;
};
