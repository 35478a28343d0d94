#include "platform/SessionBusWarmUp.h"

#if defined(__linux__)
#include <QDBusConnection>
#endif

namespace tarvik::platform {

SessionBusWarmUp::SessionBusWarmUp() {
#if defined(__linux__)
    // Connecting is safe from any thread; a desktop without a session bus only fails the attempt,
    // as the bridge's own attempt would.
    m_thread = std::thread([] { QDBusConnection::sessionBus().isConnected(); });
#endif
}

SessionBusWarmUp::~SessionBusWarmUp() {
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tarvik::platform
