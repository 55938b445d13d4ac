#pragma once

#include "outputs/ExcelTransfer.h"

#include <QStringList>

// A spreadsheet application that remembers the workbooks it is given; by default it is
// installed and opens every one.
class FakeSpreadsheet : public SpreadsheetLauncher
{
public:
    bool isInstalled() override { return installed; }
    bool open(const QString &path) override
    {
        opened << path;
        return starts;
    }

    bool installed = true;
    bool starts = true;
    QStringList opened;
};
