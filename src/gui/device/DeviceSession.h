#pragma once
// Everything the window needs to talk to the mouse, built in the order each part depends on the
// one before: the transport (the system's HID devices or the virtual mouse, written down when a
// transcript is asked for), the DeviceLink, the DeviceDiscovery, the DeviceEventListener and the
// DevTimer that drives the polling. Lives on the user-interface thread.
//
// The window implements DiscoveryUi and DeviceEventSink and hands them in; the session implements
// the link's LinkUi (loading window, event pumping) and the listener's EventPoster (a queued call
// onto the user-interface thread).

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "core/device/Clock.h"
#include "core/device/DefaultIdentity.h"
#include "core/device/DeviceDiscovery.h"
#include "core/device/DeviceEventListener.h"
#include "core/device/DeviceLink.h"
#include "core/device/DiscoveryUi.h"
#include "core/device/HidTransport.h"
#include "core/device/LinkUi.h"
#include "core/device/RuntimeOptions.h"

class QWidget;

namespace tarvik::emulator {
class EmulatorTransport;
class VirtualMouse;
} // namespace tarvik::emulator

namespace tarvik::gui {

class LoadingWindow;

struct DeviceSessionOptions {
    // TARVIK_EMULATOR, TARVIK_TRANSCRIPT, TARVIK_TIME_SCALE.
    core::RuntimeOptions runtime = core::RuntimeOptions::fromEnvironment();
    // The identity of built-in default image 1; nothing: read it from the resources.
    std::optional<core::DefaultIdentity> identity;
    // The second accepted identity pair ("Rev_Manu_ID", "Rev_Pro_ID" of the layout "ORG").
    int revManuId = 0;
    int revProId = 0;
    // Builds the transport over the system's HID devices when no emulator is chosen; empty:
    // hidapi.
    std::function<std::unique_ptr<core::HidTransport>()> makeSystemTransport;
};

class DeviceSession final : public QObject, public core::LinkUi, public core::EventPoster {
    Q_OBJECT
public:
    using Options = DeviceSessionOptions;

    // ui and sink (the main window) must outlive the session. Nothing runs until start().
    DeviceSession(core::DiscoveryUi& ui, core::DeviceEventSink& sink, Options options = Options(),
                  QObject* parent = nullptr);
    ~DeviceSession() override; // shutdown()

    // Starts the DeviceEventListener and the DevTimer (the end of start-up). The first tick comes
    // one interval later.
    void start();

    // The end of the program: stops the DevTimer and the listener (waiting for its thread), drops
    // refreshes it had posted and not yet run, and closes the handles. Nothing is sent to the
    // mouse, now or later: a handler still running (a tick in its plug-in wait, a transfer pumping
    // events) finds no device. Calling it again does nothing.
    void shutdown();
    bool isShutDown() const { return m_shutDown; }

    // Creates the loading window and places it once over mainWindow (centred, 40 px below the
    // centre). Until then showing and hiding the loading window does nothing.
    void placeLoadingWindow(const QWidget& mainWindow);
    LoadingWindow* loadingWindow() const { return m_loading.get(); }

    // DevTimer: "DevTimer", 3500 ms scaled by the clock; its tick is DeviceDiscovery::devTimerTimer.
    void setDevTimerEnabled(bool enabled);
    QTimer& devTimer() { return *m_devTimer; }

    core::DeviceLink& link() { return *m_link; }
    core::DeviceDiscovery& discovery() { return *m_discovery; }
    core::DeviceEventListener& listener() { return *m_listener; }
    core::Clock& clock() { return m_clock; }
    const core::RuntimeOptions& runtimeOptions() const { return m_runtime; }

    // The virtual mouse and its bus when the emulator was chosen; null otherwise.
    std::shared_ptr<emulator::VirtualMouse> virtualMouse() const { return m_mouse; }
    emulator::EmulatorTransport* virtualBus() const { return m_bus; }

    // A transcript was asked for but its file could not be opened; the session runs without one.
    bool transcriptFailed() const { return m_transcriptFailed; }
    // The virtual mouse's state file was there but could not be taken (said on standard error):
    // the mouse starts afresh and the file is left alone. Empty otherwise.
    const QString& stateProblem() const { return m_stateProblem; }

    // The text to show when the mouse is there but this user may not open it (for
    // DiscoveryUi::showPermissionProblem): which udev rule to install and how, naming the interface
    // that was refused.
    QString permissionAdvice();

    // --- LinkUi: called by the link during transfers --------------------------------------------
    void showLoading() override;
    void hideLoading() override;
    void pumpEvents() override;

    // --- EventPoster: called from the listener's thread -------------------------------------------
    void post(std::function<void()> task) override;

private:
    class Gate;

    core::RuntimeOptions m_runtime;
    core::Clock m_clock;
    std::unique_ptr<core::HidTransport> m_transport;
    emulator::EmulatorTransport* m_bus = nullptr;
    std::shared_ptr<emulator::VirtualMouse> m_mouse;
    bool m_transcriptFailed = false;
    QString m_stateProblem;
    std::unique_ptr<Gate> m_gate;
    std::unique_ptr<core::DeviceLink> m_link;
    std::unique_ptr<core::DeviceDiscovery> m_discovery;
    std::unique_ptr<core::DeviceEventListener> m_listener;
    QTimer* m_devTimer = nullptr; // a child, so that findChild<QTimer*>("DevTimer") finds it
    std::unique_ptr<LoadingWindow> m_loading;
    bool m_shutDown = false;
};

} // namespace tarvik::gui
