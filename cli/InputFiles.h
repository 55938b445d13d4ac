#pragma once

#include "acquisition/ReadBack.h"

#include <QStringList>

#include <optional>

// Reads the data file at path into readBack as the source "file" does in mode. On failure says
// why on stderr and returns ExitInputUnreadable (also for a file without a single reading);
// else ExitOk.
int ReadInput(const QString &path, PollMode mode, ReadBack &readBack);

// The output of each input: output itself for one input, unless it is a folder; in the folder
// output, as the input's name with suffix, for several. None, after saying why on stderr and
// with status set, when several inputs are not given a folder or two inputs would share an
// output (ExitUsage), when an output is there and force is not set (ExitOutputExists), or when
// an output is neither a regular file nor one written in place, a pipe or a character device
// (ExitFailure). Only a regular file counts as there: a pipe or device is written, never
// replaced.
std::optional<QStringList> OutputPaths(const QStringList &inputs, const QString &output,
                                       const QString &suffix, bool force, int &status);

// Whether a command may write path, by the save rule: never what is neither a regular file, a
// pipe nor a character device (ExitFailure); a regular file that is there only with force
// (ExitOutputExists). The status after saying why on stderr, or none when path may be written.
std::optional<int> RefuseOutput(const QString &path, bool force);
