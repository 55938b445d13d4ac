#include "companions/RussianCount.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(RussianCount, TheNounTakesTheFormOfTheNumbersLastDigitsExceptElevenToFourteen)
{
    QStringList texts;
    for (qint64 count : {0, 1, 3, 5, 11, 14, 21, 111, 344, -2})
        texts << RussianCount(count, "строка", "строки", "строк");
    EXPECT_EQ(texts.join(", "), "0 строк, 1 строка, 3 строки, 5 строк, 11 строк, 14 строк, "
                                "21 строка, 111 строк, 344 строки, -2 строки");
}
