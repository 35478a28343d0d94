#pragma once
// Why an interface could not be opened, and what to tell the user when the reason is access rights.
// On Linux the hidraw nodes belong to root until a udev rule hands them to the logged-in user.

#include "core/device/HidTransport.h"

#include <string>
#include <string_view>

namespace tarvik::hid {

// The udev rule shipped as packaging/linux/70-tarvik-mouse.rules, and the one line of it that matters.
inline constexpr std::string_view kUdevRuleFileName = "70-tarvik-mouse.rules";
inline constexpr std::string_view kUdevRuleLine =
    R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="1209", ATTRS{idProduct}=="0001", TAG+="uaccess")";

// Opens devicePath read-write as hidapi would and asks for its descriptor size: None for a hidraw node
// this user may open; otherwise why not (PermissionDenied, NotFound, or Other for anything that is no
// hidraw node). hidapi 0.13 crashes when a path opens but is no hidraw node, so it is given only paths
// that passed here.
core::HidOpenError checkHidrawNode(const std::string& devicePath);

// Reason for a failed open of devicePath, worked out from the node as it is now: PermissionDenied when
// this user may not read and write it, NotFound when it is gone, Other when it looks openable (the
// device itself refused).
core::HidOpenError classifyOpenFailure(const std::string& devicePath);

// Text for the user when devicePath could not be opened for lack of access rights: which rule file to
// install and the commands that install it.
std::string permissionAdvice(const std::string& devicePath);

} // namespace tarvik::hid
