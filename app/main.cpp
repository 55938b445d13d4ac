#include "app/CORMAApp.h"
#include "companions/ProcessMemory.h"

#include <QApplication>

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orma"));
    QApplication::setOrganizationName(QStringLiteral("KALMIRON"));
    CORMAApp app;
    return app.run();
}
