#pragma once

#include "companions/Prompts.h"
#include "outputs/RowTexts.h"

#include <QByteArray>

#include <span>
#include <vector>

class ReceivedRows;

// One line of the text form, laid out like the numbered line the instrument sends from its
// memory: "%4u " of `lineNumber`, the time with its fraction separator turned into ':' and
// cut to hundredths, " E=<emissivity> ", "T=%4i " of the temperature read as an integer, and
// the mode's code (a text that names no mode is written as it is), ended by CR LF.
QByteArray TextFormLine(unsigned lineNumber, const RowCells &cells);

// The whole text form of `rows` of `table`, numbered from 0.
QByteArray TextForm(const ReceivedRows &table, const std::vector<int> &rows);

// "Сохранить...": asks for a file and writes either the received bytes unchanged (the data
// file) or, when rows are selected and the user wants only those, their text form. Does
// nothing when `received` is empty. The file is replaced only when everything was written, so
// a failed save leaves a file that was there as it was. Reports the outcome to the user;
// true when a file was written, whose path goes to savedPath when given.
bool SaveMeasurements(Prompts &prompts, const ReceivedRows &table,
                      const std::vector<int> &selectedRows, std::span<const char> received,
                      QString *savedPath = nullptr);

// Whether a window's save may write path. A file that is not regular (a device, a pipe, a
// folder) is never replaced and never written from a window: the user is told, naming it.
bool AcceptSaveTarget(Prompts &prompts, const QString &path);

// Tells the user how writing a file ended: "Данные успешно записаны в файл." or "Ошибка записи
// данных в файл.".
void ReportFileWritten(Prompts &prompts, bool written);
