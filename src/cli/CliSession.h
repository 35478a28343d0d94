#pragma once
// The mouse from the command line: the same transport, link, discovery and read/write cycle the
// window uses, over the same buffers, with a user interface that only takes note of what the window
// would show. Nothing here pumps events or waits for a window: every operation runs to its end.

#include "core/backup/BackupGuard.h"
#include "core/cycle/ConfigCycle.h"
#include "core/cycle/CycleUi.h"
#include "core/device/Clock.h"
#include "core/device/DeviceDiscovery.h"
#include "core/device/DeviceLink.h"
#include "core/device/DiscoveryUi.h"
#include "core/device/HidTransport.h"
#include "core/device/RuntimeOptions.h"
#include "core/image/ConfigBuffers.h"
#include "core/keys/FunctionCodeContext.h"
#include "core/text/GeneralLayout.h"
#include "core/text/LanguageTable.h"

#include <functional>
#include <memory>
#include <string>

namespace tarvik::emulator {
class VirtualMouse;
}

namespace tarvik::cli {

// The AIM DPI step (1-12) the window's Advanced page shows for this image: that of the last AIM key
// of the current work mode.
int aimDpiStepOf(const core::ConfigImage& image, const core::FunctionCodeContext& context);

// The virtual mouse's name for the lock two runs share: its state file, which a session reads as
// soon as it is made (so the lock must be taken before). Empty when no virtual mouse is asked for or
// it keeps no state (nobody else can reach it then).
std::string virtualMouseKey(const core::RuntimeOptions& options);

// Of the cycle's user interface it needs nothing: there is nothing to draw.
class CliSession final : public core::DiscoveryUi, public core::NullCycleUi {
public:
    // makeSystemTransport builds the transport over the system's HID devices when no virtual mouse
    // is asked for; empty: hidapi.
    explicit CliSession(const core::RuntimeOptions& options,
                        std::function<std::unique_ptr<core::HidTransport>()> makeSystemTransport = {});
    ~CliSession() override;

    enum class Outcome {
        Ready,      // found, identified and read whole
        NoMouse,    // nothing with the mouse's ids is there
        NotAllowed, // it is there but this user may not open it, or it is not of this product line
        Failed,     // it did not answer as a mouse of this line does
    };

    // Finds the mouse, identifies it and reads everything it holds (as the window does when it finds
    // one). problem() says why when the outcome is not Ready.
    Outcome connect();
    const std::string& problem() const { return m_problem; }

    // A name for the mouse connect() would take, for the lock two runs share: the path of the first
    // interface with the mouse's ids. Sends no report. (A virtual mouse: virtualMouseKey.)
    std::string mouseKey();

    // True while the mouse read at connect() is still there and answering.
    bool stillThere();

    core::DeviceLink& link() { return *m_link; }
    core::DeviceDiscovery& discovery() { return *m_discovery; }
    core::ConfigCycle& cycle() { return *m_cycle; }
    core::ConfigBuffers& buffers() { return m_buffers; }
    // The backup kept before this run's first change of the mouse. A backup that cannot be kept
    // keeps the change back (refusal() says why) unless backups are switched off.
    core::BackupGuard& backups() { return *m_backups; }
    core::HidTransport& transport() { return *m_transport; }
    const core::GeneralLayout& general() const { return m_general; }
    const core::DefaultIdentity& identity() const { return m_identity; }
    // The English table, whose names the command line reads and writes.
    const core::LanguageTable& language() const;
    // The settings naming and building key codes depend on, from the working image as it stands.
    core::FunctionCodeContext namingContext() const;
    // The text the window shows for a key of the language table.
    std::string text(std::string_view key) const { return language().text(key); }
    // The virtual mouse, when one was asked for.
    std::shared_ptr<emulator::VirtualMouse> virtualMouse() const { return m_mouse; }
    // Why the virtual mouse's state file was not taken, if it was not.
    const std::string& stateProblem() const { return m_stateProblem; }

    // --- DiscoveryUi -----------------------------------------------------------------------------
    void showNoDevice() override {}
    void showDeviceReady() override {}
    void startFullRead() override;
    void refreshErrorAP() override {}
    void showMessageDialog(std::string_view key) override;
    void showMessageBox(std::string_view key) override;
    void setDevTimerEnabled(bool) override {}
    void setApplyingImage(bool applying) override { m_applyingImage = applying; }
    void showPermissionProblem() override;

private:
    std::string permissionAdvice();

    core::RuntimeOptions m_options;
    core::Clock m_clock;
    std::unique_ptr<core::HidTransport> m_transport;
    std::shared_ptr<emulator::VirtualMouse> m_mouse;
    std::string m_stateProblem;
    core::NullLinkUi m_linkUi;
    core::DefaultIdentity m_identity;
    core::GeneralLayout m_general;
    core::ConfigBuffers m_buffers;
    bool m_applyingImage = false;
    std::unique_ptr<core::DeviceLink> m_link;
    std::unique_ptr<core::DeviceDiscovery> m_discovery;
    std::unique_ptr<core::ConfigCycle> m_cycle;
    std::unique_ptr<core::BackupGuard> m_backups; // after the link and cycle: goes before them
    std::string m_problem;
    bool m_permissionProblem = false;
};

} // namespace tarvik::cli
