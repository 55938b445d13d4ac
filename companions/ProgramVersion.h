#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// A four-part version number as a version resource holds it: major, minor, patch and tweak,
// 16 bits each.
struct VersionNumber
{
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t patch = 0;
    std::uint16_t tweak = 0;
};

// The version this program was built with; none when the build did not say.
std::optional<VersionNumber> BuildVersion();

// "%u.%u.%u.%u" of the four parts; an empty text for an unknown version.
QString FormatVersion(const std::optional<VersionNumber> &version);
