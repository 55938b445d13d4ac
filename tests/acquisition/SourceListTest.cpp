#include "acquisition/SourceList.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <ostream>

namespace {

struct Row
{
    const char *shows;
    std::vector<EnumeratedPort> ports;
    QString remembered;
    QStringList existing;
    QStringList expected;
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.shows;
}

class SourceListTest : public testing::TestWithParam<Row>
{
};

QStringList names(const std::vector<SourceEntry> &entries)
{
    QStringList result;
    for (const SourceEntry &entry : entries)
        result << entry.name;
    return result;
}

TEST_P(SourceListTest, ListsPortsRememberedPathAndFileSorted)
{
    const Row &row = GetParam();
    SCOPED_TRACE(row.shows);
    const auto exists = [&](const QString &path) { return row.existing.contains(path); };
    const std::vector<SourceEntry> entries = BuildSourceList(row.ports, row.remembered, exists);
    EXPECT_EQ(names(entries), row.expected);
    for (const SourceEntry &entry : entries)
        EXPECT_EQ(entry.isFile, entry.name == "file") << entry.name.toStdString();
}

const std::vector<EnumeratedPort> usbPorts{{"/dev/ttyUSB1", "FT232R USB UART"},
                                           {"/dev/ttyACM0", "CDC"}};

INSTANTIATE_TEST_SUITE_P(
    Rows, SourceListTest,
    testing::Values(
        Row{"nothing enumerated, nothing remembered", {}, "", {}, {"file"}},
        Row{"enumerated ports sorted before file",
            usbPorts,
            "file",
            {},
            {"/dev/ttyACM0", "/dev/ttyUSB1", "file"}},
        Row{"a remembered virtual port that exists is added",
            usbPorts,
            "/dev/pts/7",
            {"/dev/pts/7"},
            {"/dev/pts/7", "/dev/ttyACM0", "/dev/ttyUSB1", "file"}},
        Row{"a remembered path that is gone is not",
            usbPorts,
            "/dev/pts/7",
            {},
            {"/dev/ttyACM0", "/dev/ttyUSB1", "file"}},
        Row{"a remembered enumerated port is listed once",
            usbPorts,
            "/dev/ttyUSB1",
            {"/dev/ttyUSB1"},
            {"/dev/ttyACM0", "/dev/ttyUSB1", "file"}},
        Row{"letter case does not order",
            {{"/dev/Zport", ""}, {"/dev/aport", ""}},
            "",
            {},
            {"/dev/aport", "/dev/Zport", "file"}},
        Row{"names after file sort after it", {}, "vport", {"vport"}, {"file", "vport"}}));

TEST(SourceList, KeepsTheAdaptersDescription)
{
    const std::vector<SourceEntry> entries =
        BuildSourceList(usbPorts, "", [](const QString &) { return false; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].description, "CDC");
    EXPECT_EQ(entries[1].description, "FT232R USB UART");
    EXPECT_TRUE(entries[2].description.isEmpty());
}

} // namespace
