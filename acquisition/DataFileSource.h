#pragma once

#include "acquisition/ByteSource.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

// The descriptor of the regular file at path, opened for reading; -1 when it is anything else
// or cannot be opened. A FIFO or a device is refused without being opened.
int OpenRegularFile(const std::string &path);

// A data file read back through the reader like a port. It reads ahead readSize bytes at a
// time and hands them out one by one; reads never wait.
class DataFileSource final : public ByteSource
{
public:
    static constexpr std::size_t DefaultChunkSize = 64 * 1024;

    enum class Kinds
    {
        // A FIFO or a device too: its reads wait for data, and opening a FIFO waits for a writer.
        Any,
        // A regular file only; anything else is refused without waiting on it.
        RegularOnly
    };

    // Null when path cannot be opened for reading, is a folder, or is not of kinds. readSize 0
    // counts as 1.
    static std::unique_ptr<DataFileSource> open(const std::string &path,
                                                std::size_t readSize = DefaultChunkSize,
                                                Kinds kinds = Kinds::Any);

    // A source over fd, open for reading, whose first bytes were already read into first; it
    // closes fd when it goes.
    static std::unique_ptr<DataFileSource> adopt(int fd, std::span<const char> first);

    DataFileSource(const DataFileSource &) = delete;
    DataFileSource &operator=(const DataFileSource &) = delete;
    ~DataFileSource() override;

    // EndOfData once the file has been read; LinkLost when reading it fails; TimedOut when a
    // signal cut a read short, so that the reader looks at its stop event.
    ReadResult readByte(char &byte) override;
    // The file's bytes are never dropped.
    void purgeReceive() override {}
    // The rest of the bytes last read ahead.
    std::span<const char> heldBytes() override { return {m_chunk.get() + m_next, m_end - m_next}; }
    void skipHeld(std::size_t count) override { m_next += std::min(count, m_end - m_next); }

private:
    DataFileSource(int fd, std::size_t chunkSize);
    ReadResult readChunk();

    int m_fd;
    std::size_t m_chunkSize;
    std::unique_ptr<char[]> m_chunk;
    std::size_t m_next = 0;
    std::size_t m_end = 0;
};
