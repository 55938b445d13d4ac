#pragma once

#include "acquisition/ReadBack.h"

#include <QStringList>

#include <optional>

// Reads the data file at path into readBack as the source "file" does in mode. On failure says
// why on stderr and returns ExitInputUnreadable (also for a file without a single reading);
// else ExitOk.
int ReadInput(const QString &path, PollMode mode, ReadBack &readBack);

// The output of each input: output itself for one input, unless it is a folder; in the folder
// output, as the input's name with suffix, for several. None, with error set, when several
// inputs are not given a folder (a usage fault) or when two inputs would share an output;
// none with error empty, after saying so on stderr, when an output is there and force is not
// set.
std::optional<QStringList> OutputPaths(const QStringList &inputs, const QString &output,
                                       const QString &suffix, bool force, QString &error);
