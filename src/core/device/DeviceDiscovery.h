#pragma once
// Decides when there is a mouse to talk to: the DevTimer's polling tick notices HID devices coming
// and going, opens the mouse by vendor and product id, identifies its storage kind with the probe,
// checks its identity bytes and hands over to the full read. Also the reset-and-search-again
// sequence used after operations that make the mouse restart. Runs on the user-interface thread;
// its waits process window events, so handlers (and a second tick) may run in between.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include "core/device/DefaultIdentity.h"
#include "core/device/DeviceLink.h"
#include "core/device/DiscoveryUi.h"

namespace tarvik::core {

enum class LinkState {
    NoDevice,        // nothing opened, or dropped
    Unidentified,    // opened, but the probe or the identity read was refused or unanswered
    RefusedKind,     // "Str102": storage kind differs from the default images'
    RefusedIdentity, // "Str107": identity bytes not of this product line
    Reading,         // accepted; the full read was started
    Ready,           // the full read finished (showDeviceReady)
    Unread,          // accepted, but the full read did not get every report
};

class DeviceDiscovery {
public:
    static constexpr std::chrono::milliseconds kDevTimerInterval{3500};
    static constexpr std::chrono::milliseconds kWaitStep{100};
    static constexpr int kPlugInWaitSteps = 21; // 2.1 s before opening what was plugged in
    static constexpr std::chrono::milliseconds kBeforeReset{500};
    static constexpr int kResetWaitSteps = 51; // 5.1 s for the mouse to restart
    // A mouse that was opened but did not answer (its probe, its identity read or its full read) is
    // tried again on the following ticks, this many times in all, until the count changes.
    static constexpr int kIdentifyAttempts = 5;
    // After this many unanswered probes the user is told that a mouse is there but does not answer.
    static constexpr int kTellUserAfterFailures = 3;

    // revManuId/revProId: the second accepted identity pair ("Rev_Manu_ID", "Rev_Pro_ID" of "ORG").
    // Registers itself as the link's lost callback; the link must outlive it.
    DeviceDiscovery(DeviceLink& link, DiscoveryUi& ui, const DefaultIdentity& identity, int revManuId = 0,
                    int revProId = 0);
    ~DeviceDiscovery();
    DeviceDiscovery(const DeviceDiscovery&) = delete;
    DeviceDiscovery& operator=(const DeviceDiscovery&) = delete;

    // The DevTimer's tick. A link lost since the last tick is searched again first; a mouse that
    // did not answer is tried again (kIdentifyAttempts in all).
    void devTimerTimer();
    // After a report failed because the mouse left the bus (DiscoveryUi::linkLost): the no-device
    // state, the link dropped and the mouse searched again at once, without waiting for the count
    // of devices to change (an unplug and replug between two ticks leaves it as it was). False when
    // the link was not lost or a tick is running (which then handles it).
    bool handleLostLink();
    // Drops the link and searches again at once.
    void reFindDev();
    // Identifies the opened device and accepts or refuses it.
    void readDevInfo();
    // Makes the mouse restart and finds it again.
    void resetAndRefind();
    // The no-device state.
    void showNoDevice();
    // The ready state; called by the full read once the image is drawn.
    void showDeviceReady();
    // Called instead when the full read did not get every report (ConfigCycle::fullRead gave
    // NotRead): the no-device state with the covers up, the user told (DiscoveryUi::showReadFailed)
    // the first time, and the read tried again on the following ticks like an unanswered probe.
    void fullReadFailed();

    // Status bytes of the live settings, read as the mouse reports them (0xFF when nothing was read):
    // the current work mode (CurrentProfile) and the current DPI level (CurrentDpi).
    Byte readCurrentProfile();
    Byte readCurrentDpi();

    LinkState state() const { return m_state; }
    StorageKind storageKind() const { return m_storageKind; }
    int lastDeviceCount() const { return m_lastDeviceCount; }
    // Identifications or reads of the mouse in hand that went unanswered, since it was found.
    int failedAttempts() const { return m_failedAttempts; }
    bool pollingBusy() const { return m_pollingBusy; }
    const DefaultIdentity& defaultIdentity() const { return m_identity; }
    // ManuId and ProId as read by the last identification.
    std::pair<Byte, Byte> lastIdentityBytes() const { return m_lastIdentity; }

    using VidPid = std::pair<std::uint32_t, std::uint32_t>;
    const std::array<VidPid, 2>& vidPidTable() const { return m_vidPidTable; }

    // The path of the interface the link would have opened when it was refused access: the link
    // keeps no path of an interface it could not open. That is the last interface of `transport`
    // with the first ids of the table that have one, and 8-byte feature reports; "" when none is.
    std::string refusedInterfacePath(HidTransport& transport) const;

private:
    void waitSteps(int steps);
    // Opens the first entry that answers and identifies it; true when one was opened.
    bool openFromTable(bool noDeviceOnFailure);
    void keepPollingAfterReset();
    void recoverLostLink();
    void attemptFailed(LinkState state);
    bool retryDue() const;

    DeviceLink& m_link;
    DiscoveryUi& m_ui;
    DefaultIdentity m_identity;
    int m_revManuId;
    int m_revProId;
    std::array<VidPid, 2> m_vidPidTable;
    int m_lastDeviceCount = 0;
    bool m_pollingBusy = false;
    StorageKind m_storageKind = StorageKind::None;
    LinkState m_state = LinkState::NoDevice;
    std::pair<Byte, Byte> m_lastIdentity{0xFF, 0xFF};
    int m_failedAttempts = 0;
};

} // namespace tarvik::core
