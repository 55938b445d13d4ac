#include "companions/ProgramVersion.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(ProgramVersion, VersionTexts)
{
    const std::vector<std::pair<std::optional<VersionNumber>, QString>> cases{
        {VersionNumber{1, 2, 3, 4}, "1.2.3.4"},
        {VersionNumber{0, 0, 0, 0}, "0.0.0.0"},
        {VersionNumber{10, 0, 255, 1}, "10.0.255.1"},
        {VersionNumber{65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
        {std::nullopt, ""},
    };
    for (const auto &[version, text] : cases)
        EXPECT_EQ(FormatVersion(version), text) << text.toStdString();
}
