#pragma once

#include <cstddef>
#include <span>

// What one read of a byte source gave.
enum class ReadResult
{
    Byte,      // one byte came
    TimedOut,  // no byte within the source's wait (0.1 s for a port); more may still come
    EndOfData, // the source has no more bytes: the end of a data file
    LinkLost,  // the source failed or hung up, as a port whose adapter was pulled
};

// The bytes of a reception, read one at a time by the reader thread. The dialog's thread
// opens and closes a source; while a reader runs only the reader uses it.
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    // Waits at most the source's time-out for one byte. byte is written only when the result
    // is ReadResult::Byte.
    virtual ReadResult readByte(char &byte) = 0;

    // Drops whatever was received but not yet read. A data file has nothing to drop.
    virtual void purgeReceive() = 0;

    // The bytes the next calls of readByte would give without waiting, as far as the source
    // already holds them; empty for a source that hands out its bytes one at a time.
    virtual std::span<const char> heldBytes() { return {}; }
    // Counts the first count bytes of heldBytes() as read.
    virtual void skipHeld(std::size_t count) { static_cast<void>(count); }
};
