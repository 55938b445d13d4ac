#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <functional>

// How a save treats the file it is given. A file that is missing or regular (also behind a
// symbolic link) is written beside its name and moved over it only when whole, so a failed save
// leaves what was there. A pipe or a character device (/dev/null, /dev/full, a terminal) is no
// file to replace: a rename would put a regular file in its place, in /dev too when run as root;
// it can only be written in place. Anything else (a folder, a block device, a socket) is never
// written.
enum class SaveTarget
{
    Replaced,
    WrittenInPlace,
    Refused
};

SaveTarget SaveTargetOf(const QString &path);

// Whether a save may write a pipe or a character device in place. A window refuses them: a
// pipe without a reader would block it.
enum class InPlaceWrites
{
    Allowed,
    Refused
};

// The file one save writes, by the rule above: open(), write to device(), then commit().
class OutputFile
{
public:
    OutputFile(const QString &path, InPlaceWrites inPlace);

    // False, with errorString() set, when the file cannot be opened or is not to be written.
    // A pipe is opened once a reader has opened it.
    bool open();
    QIODevice &device();
    // Ends the save: every byte reached the target (a replaced file is moved over its name),
    // or false with errorString() set, a replaced file left as it was.
    bool commit();
    // Why the save failed, in the system's words, or that the file is not one a save writes.
    QString errorString() const;

private:
    QString m_path;
    InPlaceWrites m_inPlace;
    SaveTarget m_target = SaveTarget::Refused;
    QSaveFile m_replaced;
    QFile m_direct;
    QString m_error;
};

// One whole save by the rule above: write hands every byte to the device and says whether they
// went. Returns why the file was not written, or an empty string.
QString WriteOutputFile(const QString &path, InPlaceWrites inPlace,
                        const std::function<bool(QIODevice &)> &write);
