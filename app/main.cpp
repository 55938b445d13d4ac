#include "app/CORMAApp.h"
#include "app/CommandLine.h"
#include "companions/ProcessMemory.h"

#include <QApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    // One optional argument: a data file to read back, as a double click on it in the file
    // manager hands it over.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const CommandLine commandLine = ParseCommandLine(arguments);
    if (commandLine.outcome != CommandLine::Outcome::Run) {
        const bool help = commandLine.outcome == CommandLine::Outcome::Help;
        if (!help)
            std::fprintf(stderr, "%s\n", commandLine.problem.toLocal8Bit().constData());
        std::fputs(CommandLineUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // Qt sees only the program's name: a file named like one of its options (-reverse,
    // -style) must reach the program, not change the window.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("orma"));
    QApplication::setOrganizationName(QStringLiteral("KALMIRON"));
    CORMAApp app;
    return app.run(commandLine.dataFiles);
}
