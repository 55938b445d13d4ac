#pragma once

#include "acquisition/ByteSource.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// Several data files read back one after the other as one source: their lines in order, as if
// the files were put together. A file that does not end its last line gets a line feed, so
// that the next file's first line stays a line of its own. Each file is read as far as it
// reached when opened: a day's file still being written adds nothing under way, and where
// each file's bytes begin is known before the reading starts.
class JoinedFileSource final : public ChunkedByteSource
{
public:
    // Null, with failedPath set to the file at fault, when one of paths is no regular file
    // that can be read.
    static std::unique_ptr<JoinedFileSource> open(const QStringList &paths, QString &failedPath);

    JoinedFileSource(const JoinedFileSource &) = delete;
    JoinedFileSource &operator=(const JoinedFileSource &) = delete;
    ~JoinedFileSource() override;

    // The offset of each file's first byte among the bytes read, in the order of paths.
    const std::vector<std::int64_t> &fileStarts() const { return m_starts; }
    // Every byte the source gives.
    std::int64_t size() const { return m_size; }

private:
    struct File
    {
        int fd;
        std::int64_t left;
        bool addLineFeed;
    };

    JoinedFileSource();
    ReadResult readChunk() override;

    std::vector<File> m_files;
    std::size_t m_current = 0;
    std::vector<std::int64_t> m_starts;
    std::int64_t m_size = 0;
};
