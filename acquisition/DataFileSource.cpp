#include "acquisition/DataFileSource.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenRegularFile(const std::string &path)
{
    // Opening a device may act on it (a serial port's lines change), and opening a FIFO
    // waits for a writer: what is no regular file is refused before it is opened. O_NONBLOCK
    // covers a file replaced in between; a regular file ignores the flag.
    struct stat named = {};
    if (stat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode))
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat file = {};
    if (fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

std::unique_ptr<DataFileSource> DataFileSource::open(const std::string &path, std::size_t readSize,
                                                     Kinds kinds)
{
    readSize = std::max<std::size_t>(readSize, 1);
    if (kinds == Kinds::RegularOnly) {
        const int fd = OpenRegularFile(path);
        return fd < 0 ? nullptr : std::unique_ptr<DataFileSource>(new DataFileSource(fd, readSize));
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat file = {};
    if (fstat(fd, &file) != 0 || S_ISDIR(file.st_mode)) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<DataFileSource>(new DataFileSource(fd, readSize));
}

std::unique_ptr<DataFileSource> DataFileSource::adopt(int fd, std::span<const char> first)
{
    std::unique_ptr<DataFileSource> source(
        new DataFileSource(fd, std::max(DefaultChunkSize, first.size())));
    std::copy(first.begin(), first.end(), source->chunk());
    source->filled(first.size());
    return source;
}

DataFileSource::DataFileSource(int fd, std::size_t chunkSize)
    : ChunkedByteSource(chunkSize), m_fd(fd)
{}

DataFileSource::~DataFileSource()
{
    close(m_fd);
}

ReadResult DataFileSource::readChunk()
{
    const ssize_t count = read(m_fd, chunk(), chunkSize());
    if (count < 0 && errno == EINTR)
        return ReadResult::TimedOut;
    if (count < 0)
        return ReadResult::LinkLost;
    if (count == 0)
        return ReadResult::EndOfData;
    filled(static_cast<std::size_t>(count));
    return ReadResult::Byte;
}
