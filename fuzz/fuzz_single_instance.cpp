// Whatever reaches the window's local socket from another process: only a whole request line raises
// the window, nothing else does, and a connection is never kept open for more than a short line.

#include "FuzzCheck.h"
#include "platform/SingleInstance.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

using fuzzcheck::require;
using tarvik::platform::SingleInstance;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView all(data, static_cast<qsizetype>(size));
    // The bytes arrive in pieces: every prefix is read as it would be on its own arrival.
    bool decided = false;
    for (qsizetype n = 0; n <= all.size() && !decided; ++n) {
        const QByteArrayView pending = all.first(n);
        switch (SingleInstance::readRequest(pending)) {
        case SingleInstance::Request::Incomplete:
            require(!pending.contains('\n') && pending.size() <= 64);
            break;
        case SingleInstance::Request::Raise:
            require(pending.startsWith("raise\n"));
            decided = true;
            break;
        case SingleInstance::Request::Other:
            require(pending.contains('\n') && !pending.startsWith("raise\n"));
            decided = true;
            break;
        case SingleInstance::Request::TooLong:
            require(!pending.contains('\n') && pending.size() > 64);
            decided = true;
            break;
        }
    }
    return 0;
}
