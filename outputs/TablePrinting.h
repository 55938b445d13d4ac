#pragma once

#include "outputs/RowTexts.h"

#include <functional>
#include <optional>
#include <vector>

class ReceivedRows;
class Prompts;
class QObject;

// The rows to print, taken once the user has confirmed the print dialog; no value when they
// cannot be had.
using RowSnapshotTaker = std::function<std::optional<std::vector<TableRowText>>()>;

// "Печатать...": asks for the printer, takes the snapshot and prints it as a paged, ruled
// table on a worker thread of its own, returning as soon as that has started. Cancelling the
// dialog does nothing; a dialog that leaves neither a printer nor a file to print to, a
// missing snapshot, or a printable area too low for one row is told to the user and prints
// nothing. Printouts still running when owner is destroyed are finished first. Call from the
// GUI thread, the thread of owner.
void PrintTable(Prompts &prompts, const RowSnapshotTaker &snapshot, QObject &owner);

// PrintTable for the rows selectedRows of table (all of them when none is selected).
void PrintTable(Prompts &prompts, const ReceivedRows &table, std::vector<int> selectedRows,
                QObject &owner);
