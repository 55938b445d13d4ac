#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <vector>

// While it lives, a window manager's request to close a window of the program that a modal
// dialog blocks is kept instead of dropped, as Qt would drop it; when it goes, each window
// asked for is closed, once the event loop is back. So a user who closes the graph window or
// the main window during a long save and its message sees it close once they are over.
// Works on X11; elsewhere it keeps nothing.
class HeldCloseRequests : public QAbstractNativeEventFilter
{
public:
    HeldCloseRequests();
    ~HeldCloseRequests() override;
    HeldCloseRequests(const HeldCloseRequests &) = delete;
    HeldCloseRequests &operator=(const HeldCloseRequests &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    std::uint32_t m_protocols = 0;
    std::uint32_t m_deleteWindow = 0;
    std::vector<QPointer<QWidget>> m_held;
};
