#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A serial port the system lists: its device path and the adapter's description, and the
// stable name udev gave it (a link in /dev/serial), empty when it has none.
struct EnumeratedPort
{
    QString path;
    QString description;
    QString stablePath;
};

// One entry of the source list.
struct SourceEntry
{
    QString name; // a device path (its stable name where it has one), or "file"
    bool isFile = false;
    QString description; // the adapter's description; may be empty
    QString kernelPath;  // the device a stable name stands for; empty for any other name

    // Whether port, as remembered or typed, names this entry: by its name, or by the kernel
    // name its stable name stands for today.
    bool names(const QString &port) const;
};

// What the list shows for entry: its name, and the kernel name beside a stable one.
QString SourceEntryText(const SourceEntry &entry);

// The sources to offer: the enumerated ports, each under its stable name where it has one,
// the remembered port when it was not enumerated but pathExists says it is there
// (pseudo-terminals and other virtual ports are not listed by the system), and "file"; sorted
// alphabetically, letter case aside.
std::vector<SourceEntry> BuildSourceList(const std::vector<EnumeratedPort> &ports,
                                         const QString &rememberedPort,
                                         const std::function<bool(const QString &)> &pathExists);

// BuildSourceList over the ports of this system.
std::vector<SourceEntry> ListSources(const QString &rememberedPort);

// A name of a serial device that survives a replug, and the kernel's name for the device now.
struct StablePortName
{
    QString path;       // such as /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
    QString kernelPath; // such as /dev/ttyUSB3
};

// The folder udev keeps its serial links in: /dev/serial, or $ORMA_SERIAL_DIR, which tests set
// to stand links of their own in for the system's.
QString SerialLinksFolder();

// The kernel names of the USB serial ports that share their identity (vendor, product and
// serial number) with another one plugged in, as adapters without a serial number do.
QStringList PortsSharingAnId();

// The stable names under folder: each device's by-id link, and a by-path link (its USB socket)
// for a device no by-id link names or one of sharedIdPorts, whose by-id name udev gives to
// whichever of them came last; links to nothing are left out. Sorted by name.
std::vector<StablePortName>
ListStablePortNames(const QString &folder = SerialLinksFolder(),
                    const QStringList &sharedIdPorts = PortsSharingAnId());

// The device path of port: a bare name, without a slash, is a stable name (a service's
// instance names its port so), the link of that name in by-path if there is one, else in
// by-id, whether the device is plugged in now or not; any other name is a path as given.
QString StablePortPath(const QString &port, const QString &folder = SerialLinksFolder());

// The name to follow port by across a replug: the stable name of its device when port is a
// kernel name that has one, else port itself.
QString StablePortNameFor(const QString &port, const std::vector<StablePortName> &names);
