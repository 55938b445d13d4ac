#include "companions/OutputFile.h"

#include <sys/stat.h>

namespace {

QString notRegularFile()
{
    return QStringLiteral("это не обычный файл");
}

} // namespace

SaveTarget SaveTargetOf(const QString &path)
{
    struct stat target = {};
    // What cannot be looked at (a missing file, a folder on the way that is not there or not
    // open to the user) is left to the save, which then says why it fails.
    if (::stat(QFile::encodeName(path).constData(), &target) != 0 || S_ISREG(target.st_mode))
        return SaveTarget::Replaced;
    if (S_ISFIFO(target.st_mode) || S_ISCHR(target.st_mode))
        return SaveTarget::WrittenInPlace;
    return SaveTarget::Refused;
}

OutputFile::OutputFile(const QString &path, InPlaceWrites inPlace)
    : m_path(path), m_inPlace(inPlace), m_replaced(path), m_direct(path)
{}

bool OutputFile::open()
{
    m_target = SaveTargetOf(m_path);
    if (m_target == SaveTarget::WrittenInPlace && m_inPlace == InPlaceWrites::Refused)
        m_target = SaveTarget::Refused;
    switch (m_target) {
    case SaveTarget::Replaced:
        if (m_replaced.open(QIODevice::WriteOnly))
            return true;
        m_error = m_replaced.errorString();
        return false;
    case SaveTarget::WrittenInPlace:
        if (m_direct.open(QIODevice::WriteOnly))
            return true;
        m_error = m_direct.errorString();
        return false;
    case SaveTarget::Refused:
        break;
    }
    m_error = notRegularFile();
    return false;
}

QIODevice &OutputFile::device()
{
    if (m_target == SaveTarget::WrittenInPlace)
        return m_direct;
    return m_replaced;
}

bool OutputFile::commit()
{
    if (m_target == SaveTarget::WrittenInPlace) {
        // A device's failure (the full disk behind /dev/full) shows when the buffer is handed
        // on or the file closed.
        const bool flushed = m_direct.flush();
        m_direct.close();
        if (flushed && m_direct.error() == QFileDevice::NoError)
            return true;
        m_error = m_direct.errorString();
        return false;
    }
    // A file that did not open has its reason already.
    if (m_target != SaveTarget::Replaced || !m_replaced.isOpen())
        return false;
    // Something else may have taken the name while the file was written.
    if (SaveTargetOf(m_path) != SaveTarget::Replaced) {
        m_replaced.cancelWriting();
        m_replaced.commit();
        m_error = notRegularFile();
        return false;
    }
    if (m_replaced.commit())
        return true;
    m_error = m_replaced.errorString();
    return false;
}

QString OutputFile::errorString() const
{
    return m_error;
}

QString WriteOutputFile(const QString &path, InPlaceWrites inPlace,
                        const std::function<bool(QIODevice &)> &write)
{
    OutputFile file(path, inPlace);
    if (!file.open())
        return file.errorString();
    if (!write(file.device()))
        return file.device().errorString();
    return file.commit() ? QString() : file.errorString();
}
