#include "companions/ProgramVersion.h"

#include <limits>

std::optional<VersionNumber> BuildVersion()
{
#if defined(ORMA_VERSION_MAJOR) && defined(ORMA_VERSION_MINOR) && defined(ORMA_VERSION_PATCH) &&   \
    defined(ORMA_VERSION_TWEAK)
    // A version given with fewer than four parts leaves the last ones empty; "+ 0" reads an
    // empty part as 0.
    constexpr long long parts[] = {ORMA_VERSION_MAJOR + 0, ORMA_VERSION_MINOR + 0,
                                   ORMA_VERSION_PATCH + 0, ORMA_VERSION_TWEAK + 0};
    constexpr auto fits = [](long long part) {
        return part >= 0 && part <= std::numeric_limits<std::uint16_t>::max();
    };
    static_assert(fits(parts[0]) && fits(parts[1]) && fits(parts[2]) && fits(parts[3]),
                  "each part of the project version must fit in 16 bits");
    const auto part = [&parts](int index) { return static_cast<std::uint16_t>(parts[index]); };
    return VersionNumber{part(0), part(1), part(2), part(3)};
#else
    return std::nullopt;
#endif
}

QString FormatVersion(const std::optional<VersionNumber> &version)
{
    if (!version)
        return {};
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version->major)
        .arg(version->minor)
        .arg(version->patch)
        .arg(version->tweak);
}
