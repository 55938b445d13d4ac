#include "acquisition/SourceList.h"

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

} // namespace

std::vector<SourceEntry> BuildSourceList(const std::vector<EnumeratedPort> &ports,
                                         const QString &rememberedPort,
                                         const std::function<bool(const QString &)> &pathExists)
{
    std::vector<SourceEntry> entries;
    for (const EnumeratedPort &port : ports)
        entries.push_back({port.path, false, port.description});

    const auto isRemembered = [&](const SourceEntry &entry) {
        return entry.name == rememberedPort;
    };
    if (!rememberedPort.isEmpty() && rememberedPort != FileSourceName &&
        std::none_of(entries.begin(), entries.end(), isRemembered) && pathExists(rememberedPort))
        entries.push_back({rememberedPort, false, {}});

    entries.push_back({FileSourceName, true, {}});
    std::stable_sort(entries.begin(), entries.end(), listedBefore);
    return entries;
}

std::vector<SourceEntry> ListSources(const QString &rememberedPort)
{
    std::vector<EnumeratedPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports.push_back({info.systemLocation(), info.description()});
    return BuildSourceList(ports, rememberedPort,
                           [](const QString &path) { return QFileInfo::exists(path); });
}
