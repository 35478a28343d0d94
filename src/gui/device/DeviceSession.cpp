#include "gui/device/DeviceSession.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <utility>

#include <QCoreApplication>
#include <QMetaObject>
#include <QWidget>

#include "core/device/NoDevices.h"
#include "emulator/TransportFactory.h"
#include "gui/device/LoadingWindow.h"
#include "hid/HidAccess.h"
#include "hid/HidapiTransport.h"
#include "platform/MouseLocks.h"

namespace tarvik::gui {

namespace {

// How long the window waits for a tarvikctl run on the mouse to end before it leaves the mouse alone
// until a later tick; a run takes well under a second.
constexpr std::chrono::milliseconds kToolWait{2000};
constexpr std::chrono::milliseconds kToolWaitFloor{200};
constexpr std::chrono::milliseconds kToolPoll{50};

// The process id of a tarvikctl run still holding the mouse named by key after waiting up to `wait`
// for it to finish; 0 when none holds it (any more).
long long toolHoldingAfter(const std::string& key, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    long long holder = platform::toolHoldingMouse(key);
    while (holder != 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kToolPoll);
        holder = platform::toolHoldingMouse(key);
    }
    return holder;
}

} // namespace

// Between the link and the transport: once the session is shut down, a handler that was still
// running (a polling tick in its plug-in wait, a transfer pumping events) finds no device to open.
// And a mouse that a tarvikctl run holds is not opened: its reports would interleave with the run's,
// and the run would write what it read over the window's changes (or the other way round). The
// window waits a short while for the run, then leaves the mouse for a later tick.
class DeviceSession::Gate final : public core::HidTransport {
public:
    // virtualKey names the virtual mouse's lock when it is kept in a state file; otherwise each
    // interface is named by its path, as tarvikctl names it. held hears of each run found holding.
    Gate(core::HidTransport& inner, std::string virtualKey, std::chrono::milliseconds wait,
         std::function<void(long long)> held)
        : m_inner(inner), m_virtualKey(std::move(virtualKey)), m_wait(wait), m_held(std::move(held)) {}
    void close() { m_closed = true; }
    // True once after an open was refused because a tarvikctl run held the mouse.
    bool takeLeftForTool() { return std::exchange(m_leftForTool, false); }

    std::vector<core::HidInterfaceInfo> enumerate() override {
        return m_closed ? std::vector<core::HidInterfaceInfo>{} : m_inner.enumerate();
    }
    std::unique_ptr<core::HidHandle> open(const std::string& path, core::HidOpenError* error) override {
        if (m_closed || toolHolds(path)) {
            if (error) {
                *error = core::HidOpenError::NotFound;
            }
            return nullptr;
        }
        return m_inner.open(path, error);
    }

private:
    bool toolHolds(const std::string& path) {
        const std::string key = m_virtualKey.empty() ? platform::hidMouseKey(path) : m_virtualKey;
        // Waited for once; while a run the user has been told of goes on, each tick only looks, so
        // that a long run does not hold up the window at every tick.
        const long long holder = toolHoldingAfter(key, m_told != 0 ? std::chrono::milliseconds(0) : m_wait);
        if (holder == 0) {
            m_told = 0;
            return false;
        }
        m_leftForTool = true;
        // Told once for each run, not at every tick it goes on.
        if (holder != m_told) {
            m_told = holder;
            m_held(holder);
        }
        return true;
    }

    core::HidTransport& m_inner;
    std::string m_virtualKey;
    std::chrono::milliseconds m_wait;
    std::function<void(long long)> m_held;
    long long m_told = 0;
    bool m_leftForTool = false;
    bool m_closed = false;
};

DeviceSession::DeviceSession(core::DiscoveryUi& ui, core::DeviceEventSink& sink, Options options,
                             QObject* parent)
    : QObject(parent), m_runtime(options.runtime), m_clock(options.runtime.timeScale) {
    auto makeSystemTransport = options.makeSystemTransport;
    if (!makeSystemTransport) {
        makeSystemTransport = [] { return std::make_unique<hid::HidapiTransport>(); };
    }
    const std::chrono::milliseconds toolWait = std::max(m_clock.scaledMs(kToolWait), kToolWaitFloor);
    // The virtual mouse reads its state file as it is made and writes it after each change: while a
    // tarvikctl run still holds that file, the mouse starts afresh and leaves the file to the run.
    std::string virtualKey;
    long long stateHolder = 0;
    if (m_runtime.emulator != core::StorageKind::None) {
        virtualKey = platform::virtualMouseKey(m_runtime.emulatorStatePath);
        stateHolder = virtualKey.empty() ? 0 : toolHoldingAfter(virtualKey, toolWait);
    }
    core::RuntimeOptions transportOptions = m_runtime;
    if (stateHolder != 0) {
        transportOptions.emulatorStatePath.clear();
        virtualKey.clear();
    }
    emulator::TransportSetup setup = emulator::makeTransport(transportOptions, makeSystemTransport);
    if (stateHolder != 0) {
        setup.stateProblem =
            "tarvikctl (process " + std::to_string(stateHolder) + ") holds " + m_runtime.emulatorStatePath;
        tellToolHolds(stateHolder);
    }
    m_transport = setup.transport ? std::move(setup.transport) : std::make_unique<core::NoDevices>();
    m_bus = setup.bus;
    m_mouse = std::move(setup.mouse);
    m_transcriptFailed = setup.transcriptFailed;
    m_stateProblem = QString::fromStdString(setup.stateProblem);
    if (!m_stateProblem.isEmpty())
        std::cerr << "tarvik-config: the virtual mouse starts afresh and its state is not kept: "
                  << setup.stateProblem << "\n";

    const core::DefaultIdentity identity =
        options.identity ? *options.identity
                         : core::DefaultIdentity::fromResources().value_or(core::DefaultIdentity{});

    // The link first: discovery and listener hold it, and must be gone before it is.
    m_gate = std::make_unique<Gate>(*m_transport, virtualKey, toolWait,
                                    [this](long long pid) { tellToolHolds(pid); });
    m_link = std::make_unique<core::DeviceLink>(*m_gate, *this, m_clock);
    m_discovery =
        std::make_unique<core::DeviceDiscovery>(*m_link, ui, identity, options.revManuId, options.revProId);
    m_listener = std::make_unique<core::DeviceEventListener>(*m_link, *this, sink);

    m_devTimer = new QTimer(this);
    m_devTimer->setObjectName(QStringLiteral("DevTimer"));
    m_devTimer->setInterval(m_clock.scaledMs(core::DeviceDiscovery::kDevTimerInterval));
    connect(m_devTimer, &QTimer::timeout, this, [this] {
        if (m_shutDown) {
            return;
        }
        // A mouse left alone for a tarvikctl run is looked for again at each tick until the run
        // has ended: its device count did not change, so the tick itself would not look.
        if (!m_discovery->pollingBusy() && !m_link->connected() && m_gate->takeLeftForTool()) {
            m_discovery->reFindDev();
        } else {
            m_discovery->devTimerTimer();
        }
    });
}

DeviceSession::~DeviceSession() {
    shutdown();
    // Members go in reverse order: loading window, listener, discovery, link, transport.
}

void DeviceSession::start() {
    if (m_shutDown) {
        return;
    }
    m_listener->start();
    m_devTimer->start();
}

void DeviceSession::shutdown() {
    if (m_shutDown) {
        return;
    }
    // From here on, refreshes the listener already posted find the flag and do nothing, and a tick
    // that is still waiting inside discovery finds no link to talk through.
    m_shutDown = true;
    m_devTimer->stop();
    m_listener->stop();
    m_gate->close();
    m_link->dropLink();
    if (m_loading) {
        m_loading->hide();
    }
}

void DeviceSession::tellToolHolds(long long pid) {
    // Found inside a tick or a transfer: the window hears of it once that has returned.
    QTimer::singleShot(0, this, [this, pid] {
        if (!m_shutDown) {
            emit mouseHeldByTool(pid);
        }
    });
}

void DeviceSession::placeLoadingWindow(const QWidget& mainWindow) {
    m_loading = std::make_unique<LoadingWindow>(mainWindow);
}

void DeviceSession::setDevTimerEnabled(bool enabled) {
    if (enabled && !m_shutDown) {
        m_devTimer->start();
    } else {
        m_devTimer->stop();
    }
}

QString DeviceSession::permissionAdvice() {
    const std::string path = m_discovery->refusedInterfacePath(*m_transport);
    return QString::fromStdString(hid::permissionAdvice(path.empty() ? std::string("the mouse") : path));
}

void DeviceSession::showLoading() {
    if (m_loading && !m_loading->isVisible()) {
        // Always on top already: raising it too would only cost a round trip per report.
        m_loading->show();
    }
}

void DeviceSession::hideLoading() {
    if (m_loading && m_loading->isVisible()) {
        m_loading->hide();
    }
}

void DeviceSession::pumpEvents() {
    QCoreApplication::processEvents();
}

void DeviceSession::post(std::function<void()> task) {
    // Queued onto the thread this object lives on; dropped by Qt if the session is gone first.
    QMetaObject::invokeMethod(
        this,
        [this, task = std::move(task)] {
            if (!m_shutDown) {
                task();
            }
        },
        Qt::QueuedConnection);
}

} // namespace tarvik::gui
