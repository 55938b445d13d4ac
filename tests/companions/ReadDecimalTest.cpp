#include "companions/ReadDecimal.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

// Every number a user types goes through these two: a wrong answer here is a wrong poll
// period, threshold or scale limit.
TEST(ReadDecimal, ACommaOrAPointAndNothingElse)
{
    // Hundreds of digits are a number too large for any field.
    const std::string huge(400, '9');
    const struct
    {
        const char *text;
        std::optional<double> value;
    } cases[] = {
        {"1,5", 1.5},  {"1.5", 1.5},       {" -2.25\t", -2.25}, {"+7", 7.0},
        {",5", 0.5},   {"5.", 5.0},        {"0", 0.0},          {"4294967,295", 4294967.295},
        {"", {}},      {"  ", {}},         {"1,5.2", {}},       {"1.5.2", {}},
        {"1 000", {}}, {"1 ,5", {}},       {"- 1", {}},         {"nan", {}},
        {"inf", {}},   {"-inf", {}},       {"1e3", {}},         {"0x10", {}},
        {",", {}},     {"+", {}},          {"1,5°", {}},        {"١٢", {}},
        {"--1", {}},   {huge.c_str(), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadDecimal(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(ReadDecimal, AWholeNumberWithinItsRange)
{
    constexpr std::int32_t Low = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t High = std::numeric_limits<std::int16_t>::max();
    const struct
    {
        const char *text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"850", 850}, {" -20 ", -20}, {"850,0", 850}, {"32767", High}, {"-32768", Low}, {"-0", 0},
        {"12.5", {}}, {"32768", {}},  {"-32769", {}}, {"7x0", {}},     {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReadWholeNumber(QString::fromUtf8(c.text), Low, High), c.value) << c.text;
    const std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(ReadWholeNumber("2147483647", 0, Max), Max);
    EXPECT_EQ(ReadWholeNumber("2147483648", 0, Max), std::nullopt);
}

} // namespace
