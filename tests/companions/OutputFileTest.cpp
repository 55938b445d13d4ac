#include "companions/OutputFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool isCharacterDevice(const char *path)
{
    struct stat target = {};
    return stat(path, &target) == 0 && S_ISCHR(target.st_mode);
}

TEST(SaveTargetOf, ReplacesRegularFilesWritesPipesAndDevicesInPlaceAndRefusesTheRest)
{
    QTemporaryDir dir;
    const auto at = [&dir](const char *name) { return dir.filePath(QString::fromUtf8(name)); };
    QFile regular(at("regular.csv"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(regular.fileName(), at("to-regular.csv")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), at("to-null.csv")));
    ASSERT_EQ(mkfifo(QFile::encodeName(at("pipe.csv")).constData(), 0600), 0);
    const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(at("socket.csv"));
    ASSERT_LT(socketPath.size(), qsizetype{sizeof address.sun_path});
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);

    const std::pair<QString, SaveTarget> rows[] = {
        {at("missing.csv"), SaveTarget::Replaced},
        {at("no-folder/missing.csv"), SaveTarget::Replaced},
        {regular.fileName(), SaveTarget::Replaced},
        {at("to-regular.csv"), SaveTarget::Replaced},
        {QStringLiteral("/dev/null"), SaveTarget::WrittenInPlace},
        {at("to-null.csv"), SaveTarget::WrittenInPlace},
        {at("pipe.csv"), SaveTarget::WrittenInPlace},
        {dir.path(), SaveTarget::Refused},
        {at("socket.csv"), SaveTarget::Refused},
    };
    for (const auto &[path, target] : rows)
        EXPECT_EQ(SaveTargetOf(path), target) << path.toStdString();
    close(listening);
}

TEST(OutputFile, ADeviceIsWrittenInPlaceWithItsFailuresOrRefusedByAWindow)
{
    OutputFile null(QStringLiteral("/dev/null"), InPlaceWrites::Allowed);
    ASSERT_TRUE(null.open());
    EXPECT_EQ(null.device().write("readings"), 8);
    EXPECT_TRUE(null.commit());
    EXPECT_TRUE(isCharacterDevice("/dev/null"));

    // Buffered bytes meet the full disk when they are handed on.
    OutputFile full(QStringLiteral("/dev/full"), InPlaceWrites::Allowed);
    ASSERT_TRUE(full.open());
    full.device().write("readings");
    EXPECT_FALSE(full.commit());
    EXPECT_EQ(full.errorString(), QString::fromLocal8Bit(strerror(ENOSPC)));
    EXPECT_TRUE(isCharacterDevice("/dev/full"));

    OutputFile refused(QStringLiteral("/dev/null"), InPlaceWrites::Refused);
    EXPECT_FALSE(refused.open());
    EXPECT_FALSE(refused.errorString().isEmpty());
    EXPECT_FALSE(refused.commit());
    EXPECT_TRUE(isCharacterDevice("/dev/null"));
}

} // namespace
