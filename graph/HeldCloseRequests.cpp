#include "graph/HeldCloseRequests.h"

#include <QApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

std::uint32_t atomNamed(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr)
        return 0;
    const std::uint32_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace

HeldCloseRequests::HeldCloseRequests()
{
    const auto *x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    m_protocols = atomNamed(x11->connection(), "WM_PROTOCOLS");
    m_deleteWindow = atomNamed(x11->connection(), "WM_DELETE_WINDOW");
    if (m_protocols != 0 && m_deleteWindow != 0)
        qApp->installNativeEventFilter(this);
}

HeldCloseRequests::~HeldCloseRequests()
{
    if (qApp != nullptr)
        qApp->removeNativeEventFilter(this);
    for (const QPointer<QWidget> &window : m_held)
        if (window != nullptr)
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

bool HeldCloseRequests::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *client = static_cast<const xcb_client_message_event_t *>(message);
    if (client->format != 32 || client->type != m_protocols ||
        client->data.data32[0] != m_deleteWindow)
        return false;
    const QWidget *modal = QApplication::activeModalWidget();
    if (modal == nullptr)
        return false;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->internalWinId() != client->window || window == modal)
            continue;
        if (std::find(m_held.begin(), m_held.end(), window) == m_held.end())
            m_held.emplace_back(window);
    }
    // Qt sees it too, and drops it while the window is blocked.
    return false;
}
