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
class DataFileSource final : public ChunkedByteSource
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

private:
    DataFileSource(int fd, std::size_t chunkSize);
    // EndOfData once the file has been read; LinkLost when reading it fails; TimedOut when a
    // signal cut a read short, so that the reader looks at its stop event.
    ReadResult readChunk() override;

    int m_fd;
};
