#pragma once

#include <QString>
#include <QStringList>

// What the command line of orma asks for: `orma [--] [DATA-FILE...]`, or `orma --help`.
struct CommandLine
{
    enum class Outcome
    {
        Run,
        Help,
        Misuse
    };
    Outcome outcome = Outcome::Run;
    // The data files to read back at the start, several joined into one timeline; empty for
    // none.
    QStringList dataFiles;
    // What is wrong with a misused command line, in one line without its end.
    QString problem;
};

// The arguments after the program's name. An argument with a leading dash is an option until
// "--"; after it, it is a file name (`orma -- -x.orm`).
CommandLine ParseCommandLine(const QStringList &arguments);

// The usage line, ended by a newline.
inline constexpr char CommandLineUsage[] = "Usage: orma [--] [DATA-FILE...]\n";
