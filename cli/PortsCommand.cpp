#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include "acquisition/SourceList.h"

#include <cstdio>

// One line per serial port, its columns apart by tabs: the name to give download (the stable
// name where the port has one), the kernel name it stands for today, the adapter.
int RunPorts(const QStringList &words)
{
    if (!words.isEmpty())
        return Fail(ExitUsage, Say("ports: без аргументов", "ports takes no arguments"));
    for (const SourceEntry &entry : ListSources({})) {
        if (entry.isFile)
            continue;
        const QString line =
            QStringLiteral("%1\t%2\t%3\n")
                .arg(entry.name, entry.kernelPath.isEmpty() ? entry.name : entry.kernelPath,
                     entry.description);
        std::fputs(line.toLocal8Bit().constData(), stdout);
    }
    return ExitOk;
}
