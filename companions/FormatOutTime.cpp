#include "companions/FormatOutTime.h"

#include <cstdio>
#include <cstdlib>

char *FormatOutTime(std::int32_t milliseconds, char *buffer)
{
    if (buffer == nullptr)
        return nullptr;
    // Widened first: the magnitude of INT32_MIN does not fit 32 bits.
    const long long value = milliseconds;
    const long long magnitude = std::llabs(value);
    std::snprintf(buffer, FormatOutTimeBufferSize, "%s%02lld:%02lld:%02lld.%03lld",
                  value < 0 ? "-" : "", magnitude / 3600000, magnitude / 60000 % 60,
                  magnitude / 1000 % 60, magnitude % 1000);
    return buffer;
}
