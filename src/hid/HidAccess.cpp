#include "hid/HidAccess.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvik::hid {

namespace {

core::HidOpenError openErrorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return core::HidOpenError::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
        return core::HidOpenError::NotFound;
    default:
        return core::HidOpenError::Other;
    }
}

} // namespace

core::HidOpenError checkHidrawNode(const std::string& devicePath) {
    // Non-blocking, so that a path naming a FIFO or a terminal cannot hang the caller.
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return openErrorFromErrno(errno);
    }
    int size = 0;
    const bool isHidraw = ::ioctl(fd, HIDIOCGRDESCSIZE, &size) == 0;
    ::close(fd);
    return isHidraw ? core::HidOpenError::None : core::HidOpenError::Other;
}

core::HidOpenError classifyOpenFailure(const std::string& devicePath) {
    if (::access(devicePath.c_str(), R_OK | W_OK) == 0) {
        return core::HidOpenError::Other;
    }
    return openErrorFromErrno(errno);
}

std::string permissionAdvice(const std::string& devicePath) {
    const std::string file(kUdevRuleFileName);
    const std::string reload = "    sudo udevadm control --reload-rules && sudo udevadm trigger\n";
    std::string text =
        "The mouse was found, but this user may not open it (" + devicePath + ": permission denied).\n\n";
    text +=
        "Install the udev rule " + file + ", which gives the user logged in at this computer access to the ";
    text += "mouse. From the folder packaging/linux of the program's sources:\n\n";
    text += "    sudo cp " + file + " /etc/udev/rules.d/\n" + reload;
    text += "\nor create the rule directly:\n\n";
    text +=
        "    echo '" + std::string(kUdevRuleLine) + "' | sudo tee /etc/udev/rules.d/" + file + "\n" + reload;
    text += "\nThen unplug the mouse and plug it in again.";
    return text;
}

} // namespace tarvik::hid
