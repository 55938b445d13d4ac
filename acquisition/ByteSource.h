#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
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

// A source that reads ahead a chunk of bytes at a time and hands them out one by one or as
// held bytes: a data file, or several read as one.
class ChunkedByteSource : public ByteSource
{
public:
    ReadResult readByte(char &byte) final
    {
        if (m_next == m_end) {
            const ReadResult filled = readChunk();
            if (filled != ReadResult::Byte)
                return filled;
        }
        byte = m_chunk[m_next++];
        return ReadResult::Byte;
    }
    // A file's bytes are never dropped.
    void purgeReceive() final {}
    // The rest of the bytes last read ahead.
    std::span<const char> heldBytes() final { return {m_chunk.get() + m_next, m_end - m_next}; }
    void skipHeld(std::size_t count) final { m_next += std::min(count, m_end - m_next); }

protected:
    explicit ChunkedByteSource(std::size_t chunkSize)
        : m_chunkSize(chunkSize), m_chunk(new char[chunkSize])
    {}

    // Reads the next chunk into chunk() and calls filled; Byte once it holds a byte.
    virtual ReadResult readChunk() = 0;
    char *chunk() { return m_chunk.get(); }
    std::size_t chunkSize() const { return m_chunkSize; }
    // The chunk now holds count bytes, none of them read.
    void filled(std::size_t count)
    {
        m_next = 0;
        m_end = count;
    }

private:
    std::size_t m_chunkSize;
    std::unique_ptr<char[]> m_chunk;
    std::size_t m_next = 0;
    std::size_t m_end = 0;
};
