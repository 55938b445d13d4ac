#include "plot/TemperatureThresholds.h"

#include <gtest/gtest.h>

namespace {

// The graph window's dialog and orma-cli take the same thresholds and refuse the same.
TEST(TemperatureThresholds, WholeDegreesOrNothingTheUpperAboveTheLower)
{
    using enum ThresholdsFault;
    const struct
    {
        const char *upper;
        const char *lower;
        ThresholdsFault fault;
        TemperatureThresholds taken;
    } cases[] = {
        {"", "", None, {}},
        {" 850 ", "-20", None, {850, -20}},
        {"850,0", "", None, {850, std::nullopt}},
        {"", "32767", None, {std::nullopt, 32767}},
        {"7x0", "300", UpperUnreadable, {}},
        {"12.5", "", UpperUnreadable, {}},
        {"", "-32769", LowerUnreadable, {}},
        {"nan", "", UpperUnreadable, {}},
        {"300", "300", UpperNotAboveLower, {}},
        {"100", "600", UpperNotAboveLower, {}},
    };
    const TemperatureThresholds before{1, 0};
    for (const auto &c : cases) {
        TemperatureThresholds thresholds = before;
        EXPECT_EQ(ReadThresholds(c.upper, c.lower, thresholds), c.fault)
            << c.upper << " / " << c.lower;
        // What is refused leaves the thresholds in force as they were.
        EXPECT_EQ(thresholds, c.fault == None ? c.taken : before) << c.upper << " / " << c.lower;
    }
    EXPECT_EQ(ThresholdsFaultText(LowerUnreadable),
              "Введите целое число градусов или оставьте поле пустым.");
    EXPECT_EQ(ThresholdsFaultText(UpperNotAboveLower), "Верхний порог должен быть выше нижнего.");
}

} // namespace
