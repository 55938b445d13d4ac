#include "companions/RussianCount.h"

#include <gtest/gtest.h>

TEST(RussianCount, TheNounTakesTheFormOfTheNumbersLastDigitsExceptElevenToFourteen)
{
    const auto lines = [](qint64 count) {
        return RussianCount(count, QStringLiteral("строка"), QStringLiteral("строки"),
                            QStringLiteral("строк"))
            .toStdString();
    };
    EXPECT_EQ(lines(0), "0 строк");
    EXPECT_EQ(lines(1), "1 строка");
    EXPECT_EQ(lines(3), "3 строки");
    EXPECT_EQ(lines(5), "5 строк");
    for (qint64 teen : {11, 12, 14, 111, 1012})
        EXPECT_TRUE(QString::fromStdString(lines(teen)).endsWith(QStringLiteral(" строк"))) << teen;
    EXPECT_EQ(lines(21), "21 строка");
    EXPECT_EQ(lines(344), "344 строки");
    EXPECT_EQ(lines(1000001), "1000001 строка");
    EXPECT_EQ(lines(-2), "-2 строки");
}
