#include "acquisition/ReceptionFile.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void storeLine(ReceptionFile &file, const std::string &line)
{
    for (char byte : line)
        ASSERT_TRUE(file.store(byte));
}

// A daily rotation across midnight: each line goes to the file of the day its line feed came
// on, a line begun before midnight included, so that every file's times rise; a line still
// in progress at the end is kept by close().
TEST(ReceptionFile, ADailyRotationStartsTheNextDaysFileAtMidnight)
{
    QTemporaryDir dir;
    QDate today(2026, 12, 8);
    ReceptionFile file;
    const QString path = dir.filePath(QStringLiteral("kiln.orm"));
    ASSERT_TRUE(file.open(path, true, [&today] { return today; }));
    EXPECT_EQ(file.currentPath(), dir.filePath(QStringLiteral("kiln-2026-12-08.orm")));
    storeLine(file, "23:59:59:50 E=0.950 T= 801 TRC\r\n");
    storeLine(file, "00:00:0");
    today = today.addDays(1);
    storeLine(file, "0:40 E=0.950 T= 802 TRC\r\n");
    storeLine(file, "00:00:01:40 E=0.9");
    EXPECT_EQ(file.currentPath(), dir.filePath(QStringLiteral("kiln-2026-12-09.orm")));
    ASSERT_TRUE(file.close());

    EXPECT_EQ(contentsOf(dir.filePath(QStringLiteral("kiln-2026-12-08.orm"))),
              "23:59:59:50 E=0.950 T= 801 TRC\r\n");
    EXPECT_EQ(contentsOf(dir.filePath(QStringLiteral("kiln-2026-12-09.orm"))),
              "00:00:00:40 E=0.950 T= 802 TRC\r\n00:00:01:40 E=0.9");
}

} // namespace
