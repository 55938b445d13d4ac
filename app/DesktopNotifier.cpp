#include "app/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

void DesktopNotifier::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Application, no notification to replace, icon, texts, no actions, no hints, the
    // server's own time on screen.
    call << QStringLiteral("ORMA") << quint32(0) << QStringLiteral("orma") << summary << body
         << QStringList() << QVariantMap() << qint32(-1);
    // The answer, or the bus's word that no service runs, is not waited for.
    bus.asyncCall(call);
}
