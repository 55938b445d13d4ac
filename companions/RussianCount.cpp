#include "companions/RussianCount.h"

QString RussianCount(qint64 count, const QString &one, const QString &few, const QString &many)
{
    const qint64 magnitude = count < 0 ? -(count % 100) : count % 100;
    const qint64 last = magnitude % 10;
    const QString &noun = magnitude >= 11 && magnitude <= 14 ? many
                          : last == 1                        ? one
                          : last >= 2 && last <= 4           ? few
                                                             : many;
    return QString::number(count) + u' ' + noun;
}
