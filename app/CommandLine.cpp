#include "app/CommandLine.h"

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine parsed;
    bool optionsEnded = false;
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
            parsed.dataFiles.clear();
            return parsed;
        } else {
            parsed.dataFiles.push_back(argument);
        }
    }
    // An empty name names no file; it is a misuse rather than a silent start without one.
    if (parsed.dataFiles.contains(QString())) {
        parsed.outcome = CommandLine::Outcome::Misuse;
        parsed.problem = QStringLiteral("orma: an empty file name");
        parsed.dataFiles.clear();
    }
    return parsed;
}
