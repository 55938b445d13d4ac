#pragma once

#include <QString>

// Tells the desktop something through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus), as every Linux desktop shows it. The call
// is sent without waiting for its answer; without a session bus or a service nothing happens.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;
    virtual void notify(const QString &summary, const QString &body);
};
