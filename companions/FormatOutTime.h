#pragma once

#include <cstdint>

// Size of the caller's buffer for FormatOutTime, terminator included.
constexpr int FormatOutTimeBufferSize = 20;

// Writes milliseconds as "[-]HH:MM:SS.mmm" (hours not wrapped at a day, so the widest text
// is "-596:31:23.648") into buffer, which must hold FormatOutTimeBufferSize bytes; at most
// that many are written, terminator included. Returns buffer; null buffer: returns null.
char *FormatOutTime(std::int32_t milliseconds, char *buffer);
