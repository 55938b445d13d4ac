#include "acquisition/SourceList.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

const QString FileSourceName = QStringLiteral("file");

bool listedBefore(const SourceEntry &left, const SourceEntry &right)
{
    const int order = QString::compare(left.name, right.name, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : left.name < right.name;
}

// The links of one folder and the devices they name, sorted by name; a link to nothing is
// left out.
std::vector<StablePortName> linksIn(const QString &folder)
{
    std::vector<StablePortName> links;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::System | QDir::Files, QDir::Name)) {
        const QFileInfo link(dir.filePath(name));
        const QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty())
            links.push_back({link.filePath(), device});
    }
    return links;
}

} // namespace

bool SourceEntry::names(const QString &port) const
{
    return !port.isEmpty() && (port == name || port == kernelPath);
}

QString SourceEntryText(const SourceEntry &entry)
{
    if (entry.kernelPath.isEmpty())
        return entry.name;
    return QStringLiteral("%1 (%2)").arg(entry.name, entry.kernelPath);
}

std::vector<SourceEntry> BuildSourceList(const std::vector<EnumeratedPort> &ports,
                                         const QString &rememberedPort,
                                         const std::function<bool(const QString &)> &pathExists)
{
    std::vector<SourceEntry> entries;
    for (const EnumeratedPort &port : ports) {
        if (port.stablePath.isEmpty())
            entries.push_back({port.path, false, port.description, {}});
        else
            entries.push_back({port.stablePath, false, port.description, port.path});
    }

    const auto isRemembered = [&](const SourceEntry &entry) { return entry.names(rememberedPort); };
    if (!rememberedPort.isEmpty() && rememberedPort != FileSourceName &&
        std::none_of(entries.begin(), entries.end(), isRemembered) && pathExists(rememberedPort))
        entries.push_back({rememberedPort, false, {}, {}});

    entries.push_back({FileSourceName, true, {}, {}});
    std::stable_sort(entries.begin(), entries.end(), listedBefore);
    return entries;
}

std::vector<SourceEntry> ListSources(const QString &rememberedPort)
{
    std::vector<StablePortName> stableNames = ListStablePortNames();
    std::vector<EnumeratedPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        const QString stable = StablePortNameFor(path, stableNames);
        ports.push_back({path, info.description(), stable != path ? stable : QString()});
    }
    // A link to a device the system does not enumerate (a virtual port) is offered too.
    for (const StablePortName &name : stableNames) {
        const bool enumerated = std::any_of(ports.begin(), ports.end(), [&](const auto &port) {
            return port.path == name.kernelPath;
        });
        if (!enumerated)
            ports.push_back({name.kernelPath, {}, name.path});
    }
    return BuildSourceList(ports, rememberedPort,
                           [](const QString &path) { return QFileInfo::exists(path); });
}

QString SerialLinksFolder()
{
    const QString folder = qEnvironmentVariable("ORMA_SERIAL_DIR");
    return folder.isEmpty() ? QStringLiteral("/dev/serial") : folder;
}

QStringList PortsSharingAnId()
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    const auto identity = [](const QSerialPortInfo &port) {
        return QStringLiteral("%1:%2:%3")
            .arg(port.vendorIdentifier())
            .arg(port.productIdentifier())
            .arg(port.serialNumber());
    };
    QStringList shared;
    for (const QSerialPortInfo &port : ports) {
        const bool sharing =
            port.hasVendorIdentifier() &&
            std::count_if(ports.begin(), ports.end(), [&](const QSerialPortInfo &other) {
                return other.hasVendorIdentifier() && identity(other) == identity(port);
            }) > 1;
        if (sharing)
            shared << port.systemLocation();
    }
    return shared;
}

std::vector<StablePortName> ListStablePortNames(const QString &folder,
                                                const QStringList &sharedIdPorts)
{
    std::vector<StablePortName> names = linksIn(folder + QStringLiteral("/by-id"));
    std::erase_if(
        names, [&](const StablePortName &name) { return sharedIdPorts.contains(name.kernelPath); });
    for (const StablePortName &byPath : linksIn(folder + QStringLiteral("/by-path"))) {
        const bool named = std::any_of(names.begin(), names.end(), [&](const auto &name) {
            return name.kernelPath == byPath.kernelPath;
        });
        if (!named)
            names.push_back(byPath);
    }
    std::sort(names.begin(), names.end(),
              [](const auto &left, const auto &right) { return left.path < right.path; });
    return names;
}

QString StablePortPath(const QString &port, const QString &folder)
{
    if (port.isEmpty() || port.contains(QLatin1Char('/')))
        return port;
    const QString byPath = folder + QStringLiteral("/by-path/") + port;
    if (QFileInfo(byPath).isSymLink())
        return byPath;
    return folder + QStringLiteral("/by-id/") + port;
}

QString StablePortNameFor(const QString &port, const std::vector<StablePortName> &names)
{
    // Only a kernel name is swapped: a link of the user's own choosing is followed as given.
    if (QFileInfo(port).isSymLink())
        return port;
    const auto named = std::find_if(names.begin(), names.end(),
                                    [&](const auto &name) { return name.kernelPath == port; });
    return named != names.end() ? named->path : port;
}
