#pragma once

#include <QString>

#include <functional>
#include <vector>

// A serial port the system lists: its device path and the adapter's description.
struct EnumeratedPort
{
    QString path;
    QString description;
};

// One entry of the source list.
struct SourceEntry
{
    QString name; // a device path, or "file"
    bool isFile = false;
    QString description; // the adapter's description; may be empty
};

// The sources to offer: the enumerated ports, the remembered port when it was not enumerated
// but pathExists says it is there (pseudo-terminals and other virtual ports are not listed by
// the system), and "file"; sorted alphabetically, letter case aside.
std::vector<SourceEntry> BuildSourceList(const std::vector<EnumeratedPort> &ports,
                                         const QString &rememberedPort,
                                         const std::function<bool(const QString &)> &pathExists);

// BuildSourceList over the ports of this system.
std::vector<SourceEntry> ListSources(const QString &rememberedPort);
