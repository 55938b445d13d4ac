#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    // The plot draws through the graph's canvas, which needs the offscreen platform when
    // there is no display; it is chosen before any application exists.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);

    const QString command = words.value(0);
    const QStringList rest = words.mid(1);
    if (command == QStringLiteral("--help") || command == QStringLiteral("-h") ||
        command == QStringLiteral("help")) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return ExitOk;
    }
    if (command == QStringLiteral("--version")) {
        std::fputs(VersionText().toLocal8Bit().constData(), stdout);
        return ExitOk;
    }
    if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"))) {
        std::fputs(HelpText().toLocal8Bit().constData(), stdout);
        return ExitOk;
    }
    if (command == QStringLiteral("convert"))
        return RunConvert(rest);
    if (command == QStringLiteral("stats"))
        return RunStats(rest);
    if (command == QStringLiteral("download"))
        return RunDownload(rest);
    if (command == QStringLiteral("plot"))
        return RunPlot(rest);
    if (command == QStringLiteral("ports"))
        return RunPorts(rest);
    if (command == QStringLiteral("notes"))
        return RunNotes(rest);
    if (command == QStringLiteral("report"))
        return RunReport(rest);
    if (command.isEmpty())
        return Fail(ExitUsage, Say("нужна команда: convert, stats, download, plot, ports, notes "
                                   "или report (--help)",
                                   "a command is needed: convert, stats, download, plot, ports, "
                                   "notes or report (--help)"));
    return Fail(ExitUsage,
                Say("неизвестная команда %1 (--help)", "unknown command %1 (--help)").arg(command));
}
