#pragma once

#include "acquisition/ReadingStream.h"

#include <QDate>
#include <QStringList>

#include <optional>

// Reads the data file at path in one pass as the source "file" does in mode, handing each
// reading to take as it is parsed (ReadingStream), in bounded memory whatever its size. A pipe
// is read until its writers have closed it; Ctrl+C or SIGTERM ends the reading. On failure says
// why on stderr, in one line that also counts the lines dropped for their length, and returns
// ExitInputUnreadable (also for a file without a single reading) or, when it was interrupted,
// ExitFailure; else ExitOk, after saying how many lines were dropped if any. A take that
// answers false ends the reading early and is no failure.
int StreamInput(const QString &path, PollMode mode, const ReadingStream::Take &take);

// The data files at paths read as one timeline, one after the other in the order of their days
// (DataFileDate: the daily rotation's name, else the modification time): each reading's time
// counts from midnight of the first file's day, so that the times run on across midnight. One
// file is read as it is. As StreamInput, and ExitUsage when the files span more days than the
// times of one timeline hold (24). firstDay, when given, becomes the first file's day.
int StreamTimeline(const QStringList &paths, PollMode mode, const ReadingStream::Take &take,
                   QDate *firstDay = nullptr);

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
