#include "companions/CRangeBar.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    CRangeBar bar;
    bar.show();
    return QApplication::exec();
}
