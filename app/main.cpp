#include "app/CORMAApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orma"));
    QApplication::setOrganizationName(QStringLiteral("KALMIRON"));
    CORMAApp app;
    return app.run();
}
