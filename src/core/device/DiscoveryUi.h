#pragma once
// What finding, identifying and resetting the mouse does to the window. The main window implements
// it; every call comes on the user-interface thread. Texts go by language key ("Str102"); the
// window looks them up in the current language table.

#include <string_view>

namespace tarvik::core {

class DiscoveryUi {
public:
    virtual ~DiscoveryUi() = default;

    // The window part of the no-device state: show the Disable label, close the key menus, stop
    // LabelRun, process events, RefreshErrorAP, ShowCovers, empty LB_MacroName, LB_Name and LB_macro,
    // clear LightingKind, KnownReportRate = 0, clear RateResetPending. (StorageKind is cleared by
    // DeviceDiscovery.)
    virtual void showNoDevice() = 0;

    // The window part of the ready state: hide the Disable label, show gbPage1, clear NoDevicePage,
    // process events.
    virtual void showDeviceReady() = 0;

    // Btn_Read: the full read of the device just accepted. It may run to its end inside this call.
    // When it is done it calls DeviceDiscovery::showDeviceReady() and enables the DevTimer again;
    // when it did not get every report (ConfigCycle::fullRead gave NotRead) it calls
    // DeviceDiscovery::fullReadFailed() instead.
    virtual void startFullRead() = 0;

    // Resets the window to its first page (sets NoDevicePage).
    virtual void refreshErrorAP() = 0;

    // ShowMessageDialog: the modal message dialog with one OK button; returns when it is closed.
    virtual void showMessageDialog(std::string_view key) = 0;

    // A standard message box with an empty caption and an OK button; returns when it is closed.
    virtual void showMessageBox(std::string_view key) = 0;

    virtual void setDevTimerEnabled(bool enabled) = 0;
    virtual void setApplyingImage(bool applying) = 0;

    // The mouse is there but this user may not open it: on Linux the udev rule is not installed.
    virtual void showPermissionProblem() = 0;

    // A mouse was found but does not answer its probe or its identity read, after several tries on
    // the following DevTimer ticks. Told once per mouse; the window stays in the no-device state.
    virtual void showMouseNotAnswering() {}

    // The mouse was accepted but its full read did not get every report, even when repeated:
    // nothing of it was drawn or will be written, and the window is back in the no-device state
    // (showNoDevice was called just before, so the covers are up). From fullReadFailed().
    virtual void showReadFailed() {}

    // The mouse was refused for its identity bytes ("Str107" was shown; ApplyingImage is set).
    // Called last in the identification, which must finish first: the window offers default
    // settings, which rewrite those bytes, once the current handler has returned.
    virtual void identityRefused() {}

    // A report failed because the mouse left the bus (it may already be back). Called inside the
    // failing operation, which must finish first: post DeviceDiscovery::handleLostLink() to run on
    // the user-interface thread once the current handler has returned. Without it the next DevTimer
    // tick handles the loss.
    virtual void linkLost() {}
};

} // namespace tarvik::core
