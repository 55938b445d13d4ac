#pragma once

#include <QString>

// The names under which the program keeps its settings from one run to the next. Stored
// files rely on them: a renamed key forgets what users have kept.
namespace SettingsKeys {

// The main window's port and its size and place.
inline const QString Port = QStringLiteral("Port");
inline const QString MainWindow = QStringLiteral("MainWindow");
// The folder of the last file chosen in a file dialog.
inline const QString Folder = QStringLiteral("Folder");
// The graph window's size and place, its thresholds (whole degrees; absent when not set) and
// whether it shows the statistics.
inline const QString GraphWindow = QStringLiteral("GraphWindow");
inline const QString UpperThreshold = QStringLiteral("UpperThreshold");
inline const QString LowerThreshold = QStringLiteral("LowerThreshold");
inline const QString Statistics = QStringLiteral("Statistics");
// Whether a reception from a port signals readings outside the thresholds.
inline const QString ThresholdAlarm = QStringLiteral("ThresholdAlarm");

} // namespace SettingsKeys
