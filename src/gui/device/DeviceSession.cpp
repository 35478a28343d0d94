#include "gui/device/DeviceSession.h"

#include <iostream>

#include <QCoreApplication>
#include <QMetaObject>
#include <QWidget>

#include "core/device/NoDevices.h"
#include "emulator/TransportFactory.h"
#include "gui/device/LoadingWindow.h"
#include "hid/HidAccess.h"
#include "hid/HidapiTransport.h"

namespace tarvik::gui {

// Between the link and the transport: once the session is shut down, a handler that was still
// running (a polling tick in its plug-in wait, a transfer pumping events) finds no device to open.
class DeviceSession::Gate final : public core::HidTransport {
public:
    explicit Gate(core::HidTransport& inner) : m_inner(inner) {}
    void close() { m_closed = true; }

    std::vector<core::HidInterfaceInfo> enumerate() override {
        return m_closed ? std::vector<core::HidInterfaceInfo>{} : m_inner.enumerate();
    }
    std::unique_ptr<core::HidHandle> open(const std::string& path, core::HidOpenError* error) override {
        if (m_closed) {
            if (error) {
                *error = core::HidOpenError::NotFound;
            }
            return nullptr;
        }
        return m_inner.open(path, error);
    }

private:
    core::HidTransport& m_inner;
    bool m_closed = false;
};

DeviceSession::DeviceSession(core::DiscoveryUi& ui, core::DeviceEventSink& sink, Options options,
                             QObject* parent)
    : QObject(parent), m_runtime(options.runtime), m_clock(options.runtime.timeScale) {
    auto makeSystemTransport = options.makeSystemTransport;
    if (!makeSystemTransport) {
        makeSystemTransport = [] { return std::make_unique<hid::HidapiTransport>(); };
    }
    emulator::TransportSetup setup = emulator::makeTransport(m_runtime, makeSystemTransport);
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
    m_gate = std::make_unique<Gate>(*m_transport);
    m_link = std::make_unique<core::DeviceLink>(*m_gate, *this, m_clock);
    m_discovery =
        std::make_unique<core::DeviceDiscovery>(*m_link, ui, identity, options.revManuId, options.revProId);
    m_listener = std::make_unique<core::DeviceEventListener>(*m_link, *this, sink);

    m_devTimer = new QTimer(this);
    m_devTimer->setObjectName(QStringLiteral("DevTimer"));
    m_devTimer->setInterval(m_clock.scaledMs(core::DeviceDiscovery::kDevTimerInterval));
    connect(m_devTimer, &QTimer::timeout, this, [this] {
        if (!m_shutDown) {
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
    // The link keeps no path of an interface it could not open; the refused one is the interface
    // it would have opened: the last with the ids of the table and 8-byte feature reports.
    std::string path;
    for (const auto& [vid, pid] : m_discovery->vidPidTable()) {
        if (vid == 0 || pid == 0) {
            continue;
        }
        for (const core::HidInterfaceInfo& info : m_transport->enumerate()) {
            if (info.vendorId == vid && info.productId == pid &&
                info.featureReportLength == core::DeviceLink::kReportSize) {
                path = info.path;
            }
        }
        if (!path.empty()) {
            break;
        }
    }
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
