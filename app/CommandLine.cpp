#include "app/CommandLine.h"

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine parsed;
    bool optionsEnded = false;
    int files = 0;
    for (const QString &argument : arguments) {
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith(u'-')) {
            const bool help =
                argument == QStringLiteral("--help") || argument == QStringLiteral("-h");
            parsed.outcome = help ? CommandLine::Outcome::Help : CommandLine::Outcome::Misuse;
            if (!help)
                parsed.problem = QStringLiteral("orma: unknown option %1 (a file whose name "
                                                "begins with '-' goes after --: orma -- %1)")
                                     .arg(argument);
            return parsed;
        } else if (++files == 1) {
            parsed.dataFile = argument;
        }
    }
    // An empty name names no file; it is a misuse rather than a silent start without one.
    if (files > 1 || (files == 1 && parsed.dataFile.isEmpty())) {
        parsed.outcome = CommandLine::Outcome::Misuse;
        parsed.problem = files > 1 ? QStringLiteral("orma: one data file at most")
                                   : QStringLiteral("orma: an empty file name");
        parsed.dataFile.clear();
    }
    return parsed;
}
