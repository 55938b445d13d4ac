#pragma once

#include <QString>

// A count with its noun in the Russian form the number takes: "1 строка", "3 строки",
// "5 строк", "11 строк", "21 строка". one, few and many are the noun's forms for 1, 2 and 5.
QString RussianCount(qint64 count, const QString &one, const QString &few, const QString &many);
