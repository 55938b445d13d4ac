#include "acquisition/JoinedFileSource.h"

#include "acquisition/DataFileSource.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t ChunkSize = DataFileSource::DefaultChunkSize;

} // namespace

JoinedFileSource::JoinedFileSource() : ChunkedByteSource(ChunkSize) {}

JoinedFileSource::~JoinedFileSource()
{
    for (const File &file : m_files)
        close(file.fd);
}

std::unique_ptr<JoinedFileSource> JoinedFileSource::open(const QStringList &paths,
                                                         QString &failedPath)
{
    std::unique_ptr<JoinedFileSource> source(new JoinedFileSource);
    for (const QString &path : paths) {
        const int fd = OpenRegularFile(QFile::encodeName(path).toStdString());
        struct stat info = {};
        if (fd >= 0 && fstat(fd, &info) == 0) {
            char last = '\n';
            if (info.st_size == 0 || pread(fd, &last, 1, info.st_size - 1) == 1) {
                source->m_files.push_back({fd, info.st_size, last != '\n'});
                source->m_starts.push_back(source->m_size);
                source->m_size += info.st_size + (last != '\n' ? 1 : 0);
                continue;
            }
        }
        if (fd >= 0)
            close(fd);
        failedPath = path;
        return nullptr;
    }
    return source;
}

ReadResult JoinedFileSource::readChunk()
{
    while (m_current < m_files.size()) {
        File &file = m_files[m_current];
        if (file.left > 0) {
            const ssize_t count =
                read(file.fd, chunk(),
                     static_cast<std::size_t>(std::min<std::int64_t>(file.left, ChunkSize)));
            if (count < 0 && errno == EINTR)
                return ReadResult::TimedOut;
            if (count < 0)
                return ReadResult::LinkLost;
            // A file cut short since it was opened would shift every later file's start.
            if (count == 0)
                return ReadResult::LinkLost;
            file.left -= count;
            filled(static_cast<std::size_t>(count));
            return ReadResult::Byte;
        }
        ++m_current;
        if (file.addLineFeed) {
            chunk()[0] = '\n';
            filled(1);
            return ReadResult::Byte;
        }
    }
    return ReadResult::EndOfData;
}
