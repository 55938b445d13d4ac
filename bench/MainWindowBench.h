#pragma once

#include "outputs/ExcelTransfer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// What the benchmarks of the main window share.

class NoSpreadsheet : public SpreadsheetLauncher
{
public:
    bool isInstalled() override { return false; }
    bool open(const QString &) override { return false; }
};

// The longest time between two turns of a 5 ms timer: how long the window's thread was busy.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_sinceLast.restart()); });
    }
    void start()
    {
        m_longest = 0;
        m_sinceLast.start();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        return std::max(m_longest, m_sinceLast.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    qint64 m_longest = 0;
};
