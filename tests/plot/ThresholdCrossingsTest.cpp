#include "plot/ThresholdCrossings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// The crossings a run of readings makes, as "A800" (above 800), "B600" (below 600) or "-".
std::string crossingsOf(ThresholdWatch &watch, const std::vector<std::int32_t> &temperatures)
{
    std::string made;
    for (std::int32_t temperature : temperatures) {
        const std::optional<ThresholdCrossing> crossing = watch.take(temperature);
        if (!made.empty())
            made += ' ';
        if (!crossing)
            made += '-';
        else
            made += (crossing->side == ThresholdSide::Above ? "A" : "B") +
                    std::to_string(crossing->limit);
    }
    return made;
}

// The window's alarm and orma-cli's count the same crossings: one each time the readings leave
// the limits, none while they stay outside, armed again once a reading is back inside.
TEST(ThresholdWatch, OneCrossingEachTimeTheReadingsLeaveTheLimits)
{
    const struct
    {
        const char *what;
        TemperatureThresholds thresholds;
        std::vector<std::int32_t> temperatures;
        const char *crossings;
    } cases[] = {
        {"inside throughout", {800, 600}, {700, 600, 800, 650}, "- - - -"},
        {"a threshold itself is inside", {800, 600}, {800, 801, 800, 600, 599}, "- A800 - - B600"},
        {"staying above raises once", {800, 600}, {700, 850, 900, 1200, 801}, "- A800 - - -"},
        {"back inside arms again",
         {800, 600},
         {850, 700, 850, 850, 790, 900},
         "A800 - A800 - - A800"},
        {"the first reading outside counts", {800, 600}, {500, 550, 700}, "B600 - -"},
        {"straight from above to below", {800, 600}, {900, 500, 400, 900}, "A800 B600 - A800"},
        {"upper only", {800, std::nullopt}, {-30000, 801, 0}, "- A800 -"},
        {"lower only", {std::nullopt, 0}, {-1, 0, 32767, -32768}, "B0 - - B0"},
        {"no thresholds", {}, {-32768, 32767}, "- -"},
    };
    for (const auto &c : cases) {
        ThresholdWatch watch(c.thresholds);
        EXPECT_EQ(crossingsOf(watch, c.temperatures), c.crossings) << c.what;
    }
}

// New thresholds or a new reception start the watch over: a reading already outside counts as a
// first one; a mere restart with the same readings outside raises once more.
TEST(ThresholdWatch, ARestartCountsTheNextReadingAsAFirstOne)
{
    ThresholdWatch watch({800, 600});
    EXPECT_EQ(crossingsOf(watch, {850, 860}), "A800 -");
    watch.restart({900, 600});
    EXPECT_EQ(crossingsOf(watch, {860, 950}), "- A900");
    watch.restart(watch.thresholds());
    EXPECT_EQ(crossingsOf(watch, {950}), "A900");
    EXPECT_EQ(watch.thresholds(), (TemperatureThresholds{900, 600}));
}

TEST(ThresholdWatch, TheCrossingInTheProgramsWords)
{
    EXPECT_EQ(CrossingText({ThresholdSide::Above, 800}, 33157410, 812),
              QStringLiteral("09:12:37.410: 812 °C, выше 800 °C"));
    EXPECT_EQ(CrossingText({ThresholdSide::Below, -20}, 0, -35),
              QStringLiteral("00:00:00.000: -35 °C, ниже -20 °C"));
}

} // namespace
