#include "acquisition/SourceList.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

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

const std::vector<EnumeratedPort> usbPorts{{"/dev/ttyUSB1", "FT232R USB UART", {}},
                                           {"/dev/ttyACM0", "CDC", {}}};

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
            {{"/dev/Zport", "", {}}, {"/dev/aport", "", {}}},
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

namespace {

// A folder laid out as udev lays out /dev/serial, its links to files standing in for devices.
class StableNames : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("serial/by-id"));
        ASSERT_TRUE(QDir(m_folder.path()).mkpath("serial/by-path"));
        for (const char *device : {"ttyUSB0", "ttyUSB1", "ttyUSB2"})
            QFile(device_(device)).open(QIODevice::WriteOnly);
    }

    QString device_(const QString &name) const { return m_folder.filePath(name); }
    QString serial() const { return m_folder.filePath("serial"); }
    void link(const QString &name, const QString &device)
    {
        ASSERT_TRUE(QFile::link(device_(device), serial() + '/' + name));
    }

    QTemporaryDir m_folder;
};

// The adapter with an id is named by it, one no by-id link names by its socket; a link left
// behind by a device that went names nothing.
TEST_F(StableNames, ByIdThenByPathWhereNoIdNamesTheDevice)
{
    link("by-id/usb-FTDI_FT232R_A1B2C3-if00-port0", "ttyUSB0");
    link("by-id/usb-1a86_USB_Serial-if00-port0", "ttyUSB1");
    link("by-path/pci-0000:00:14.0-usb-0:1:1.0-port0", "ttyUSB0");
    link("by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "ttyUSB1");
    link("by-path/pci-0000:00:14.0-usb-0:3:1.0-port0", "ttyUSB2");
    link("by-id/usb-gone-if00-port0", "ttyUSB9");

    const std::vector<StablePortName> names = ListStablePortNames(serial(), {});
    std::vector<std::pair<QString, QString>> found;
    for (const StablePortName &name : names)
        found.emplace_back(name.path.mid(serial().size() + 1),
                           QFileInfo(name.kernelPath).fileName());
    EXPECT_EQ(found, (std::vector<std::pair<QString, QString>>{
                         {"by-id/usb-1a86_USB_Serial-if00-port0", "ttyUSB1"},
                         {"by-id/usb-FTDI_FT232R_A1B2C3-if00-port0", "ttyUSB0"},
                         {"by-path/pci-0000:00:14.0-usb-0:3:1.0-port0", "ttyUSB2"}}));

    // A kernel name is followed by its stable one; a link, or a name nothing stands for, is
    // kept as given.
    const QString ftdi = serial() + "/by-id/usb-FTDI_FT232R_A1B2C3-if00-port0";
    EXPECT_EQ(StablePortNameFor(device_("ttyUSB0"), names), ftdi);
    EXPECT_EQ(StablePortNameFor(ftdi, names), ftdi);
    const QString byPath = serial() + "/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0";
    EXPECT_EQ(StablePortNameFor(byPath, names), byPath);
    EXPECT_EQ(StablePortNameFor("/dev/pts/7", names), "/dev/pts/7");
    EXPECT_TRUE(ListStablePortNames(m_folder.filePath("none"), {}).empty());

    // Two adapters of one identity: the by-id name that udev points at whichever came last
    // names neither; each is named by its socket.
    const std::vector<StablePortName> shared =
        ListStablePortNames(serial(), {device_("ttyUSB0"), device_("ttyUSB2")});
    ASSERT_EQ(shared.size(), 3u);
    EXPECT_EQ(shared[0].path, serial() + "/by-id/usb-1a86_USB_Serial-if00-port0");
    EXPECT_EQ(shared[1].path, byPath);
    EXPECT_EQ(shared[1].kernelPath, device_("ttyUSB0"));
    EXPECT_EQ(shared[2].kernelPath, device_("ttyUSB2"));

    // A bare name is a stable one, plugged in or not; a path stays as it is.
    EXPECT_EQ(StablePortPath("usb-FTDI_FT232R_A1B2C3-if00-port0", serial()), ftdi);
    EXPECT_EQ(StablePortPath("pci-0000:00:14.0-usb-0:1:1.0-port0", serial()), byPath);
    EXPECT_EQ(StablePortPath("usb-away-if00-port0", serial()),
              serial() + "/by-id/usb-away-if00-port0");
    EXPECT_EQ(StablePortPath("/dev/ttyUSB0", serial()), "/dev/ttyUSB0");
    EXPECT_EQ(StablePortPath("./ttyUSB0", serial()), "./ttyUSB0");
}

// The list shows a port under its stable name with its kernel name beside it, and a port
// remembered by its kernel name finds its entry, which from then on is remembered by the
// stable name.
TEST(SourceList, ShowsStableNamesWithTheKernelNameBeside)
{
    const QString stable = "/dev/serial/by-id/usb-FTDI_FT232R_A1B2C3-if00-port0";
    const std::vector<SourceEntry> entries =
        BuildSourceList({{"/dev/ttyUSB3", "FT232R USB UART", stable}, {"/dev/ttyS0", "", {}}},
                        "/dev/ttyUSB3", [](const QString &) { return true; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, stable);
    EXPECT_EQ(SourceEntryText(entries[0]), stable + " (/dev/ttyUSB3)");
    EXPECT_EQ(entries[0].description, "FT232R USB UART");
    EXPECT_TRUE(entries[0].names("/dev/ttyUSB3"));
    EXPECT_TRUE(entries[0].names(stable));
    EXPECT_EQ(SourceEntryText(entries[1]), "/dev/ttyS0");
    EXPECT_FALSE(entries[1].names("/dev/ttyUSB3"));
    EXPECT_FALSE(entries[2].names(""));
}

} // namespace
