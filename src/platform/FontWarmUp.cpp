#include "platform/FontWarmUp.h"

#if defined(__linux__)
#include <fontconfig/fontconfig.h>
#endif

namespace tarvik::platform {

FontWarmUp::FontWarmUp() {
#if defined(__linux__)
    // Qt's font database on Linux is fontconfig's; the first to initialise it installs the shared
    // configuration, a second caller takes that one.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontWarmUp::~FontWarmUp() {
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tarvik::platform
