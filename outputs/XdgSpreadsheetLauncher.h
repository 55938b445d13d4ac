#pragma once

#include "outputs/ExcelTransfer.h"

#include <QStringList>

// The command of a desktop entry's Exec value for opening `path`: the value split into
// arguments by its quoting rules, %f %F %u %U replaced by the path (appended when none of them
// occurs), "%%" read as '%' and every other field code dropped. Empty when the value is.
QStringList DesktopExecCommand(const QString &exec, const QString &path);

// The spreadsheet application the freedesktop.org settings name as the default for .xlsx
// files (asked of xdg-mime), started from its desktop entry.
class XdgSpreadsheetLauncher : public SpreadsheetLauncher
{
public:
    bool isInstalled() override;
    bool open(const QString &path) override;
};
