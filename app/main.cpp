#include "app/CORMAApp.h"
#include "companions/ProcessMemory.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orma"));
    QApplication::setOrganizationName(QStringLiteral("KALMIRON"));
    // One optional argument: a data file to read back, as a double click on it in the file
    // manager hands it over.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0].startsWith(u'-'))) {
        std::fputs("Usage: orma [DATA-FILE]\n", stderr);
        return 2;
    }
    CORMAApp app;
    return app.run(arguments.value(0));
}
