#pragma once

#include <QStringList>

// The commands of orma-cli, each given the words after its name; each returns an ExitStatus.
int RunConvert(const QStringList &words);
int RunStats(const QStringList &words);
int RunDownload(const QStringList &words);
int RunPlot(const QStringList &words);
int RunPorts(const QStringList &words);
int RunNotes(const QStringList &words);
int RunReport(const QStringList &words);

// The program's help and version texts, in the user's language.
QString HelpText();
QString VersionText();
