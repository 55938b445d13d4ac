// Writes the program's icon as the PNG files of an icon theme, one per size:
// <folder>/<N>x<N>/apps/orma.png. Run by the build, so the installed icons are drawn by the
// same code as the windows' icon.
#include "resources/ApplicationIcon.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("Usage: orma-write-icons FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    for (int size : ApplicationIconSizes) {
        const QString apps = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = folder.filePath(apps + QStringLiteral("/orma.png"));
        if (!folder.mkpath(apps) || !ApplicationIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "orma-write-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
