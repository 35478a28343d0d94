#include "cli/CliSession.h"

#include "core/device/NoDevices.h"
#include "core/keys/AimKey.h"
#include "core/keys/FunctionCodeName.h"
#include "core/text/LanguageTables.h"
#include "emulator/TransportFactory.h"
#include "emulator/VirtualMouse.h"
#include "hid/HidAccess.h"
#include "hid/HidapiTransport.h"
#include "platform/MouseLocks.h"

#include <filesystem>

namespace tarvik::cli {

int aimDpiStepOf(const core::ConfigImage& image, const core::FunctionCodeContext&) {
    // The AIM DPI the Advanced page shows for the current work mode; step 1 when there is none.
    const auto mode = image.workMode();
    return mode ? core::aimStepOfProfile(image, *mode, 1) : 1;
}

CliSession::CliSession(const core::RuntimeOptions& options,
                       std::function<std::unique_ptr<core::HidTransport>()> makeSystemTransport)
    : m_options(options), m_clock(options.timeScale) {
    if (!makeSystemTransport) {
        makeSystemTransport = [] { return std::make_unique<hid::HidapiTransport>(); };
    }
    emulator::TransportSetup setup = emulator::makeTransport(m_options, makeSystemTransport);
    m_transport = setup.transport ? std::move(setup.transport) : std::make_unique<core::NoDevices>();
    m_mouse = std::move(setup.mouse);
    m_stateProblem = setup.stateProblem;
    m_identity = core::DefaultIdentity::fromResources().value_or(core::DefaultIdentity{});
    m_general = core::GeneralLayout::loadBuiltIn();
    m_link = std::make_unique<core::DeviceLink>(*m_transport, m_linkUi, m_clock);
    m_discovery = std::make_unique<core::DeviceDiscovery>(*m_link, *this, m_identity, m_general.revManuId,
                                                          m_general.revProId);
    m_cycle = std::make_unique<core::ConfigCycle>(*m_link, m_buffers, *this, m_applyingImage,
                                                  m_identity.defaultImageKind);
    // Nobody to ask on the command line: without a backup the change is refused (see --no-backup).
    m_backups =
        std::make_unique<core::BackupGuard>(*m_link, *m_cycle, core::BackupStore(core::defaultBackupFolder()),
                                            [](const std::string&) { return false; });
}

CliSession::~CliSession() {
    m_link->dropLink();
}

const core::LanguageTable& CliSession::language() const {
    return core::LanguageTables::builtIn().table(1);
}

CliSession::Outcome CliSession::connect() {
    m_problem.clear();
    m_permissionProblem = false;
    m_discovery->reFindDev();
    switch (m_discovery->state()) {
    case core::LinkState::Ready:
        return Outcome::Ready;
    case core::LinkState::NoDevice:
        if (m_permissionProblem) {
            return Outcome::NotAllowed;
        }
        m_problem = "no mouse found";
        return Outcome::NoMouse;
    case core::LinkState::RefusedKind:
    case core::LinkState::RefusedIdentity:
        return Outcome::NotAllowed;
    case core::LinkState::Unread:
        m_problem = "the mouse did not give its whole configuration; nothing was changed";
        return Outcome::Failed;
    case core::LinkState::Unidentified:
    case core::LinkState::Reading:
        break;
    }
    m_problem = "the mouse did not answer the probe as a mouse of this product line";
    return Outcome::Failed;
}

std::string virtualMouseKey(const core::RuntimeOptions& options) {
    if (options.emulator == core::StorageKind::None)
        return {};
    return platform::virtualMouseKey(options.emulatorStatePath);
}

std::string CliSession::mouseKey() {
    for (const core::HidInterfaceInfo& info : m_transport->enumerate()) {
        if (info.vendorId == m_identity.vendorId && info.productId == m_identity.productId &&
            info.featureReportLength == core::DeviceLink::kReportSize)
            return platform::hidMouseKey(info.path);
    }
    return platform::hidMouseKey({});
}

bool CliSession::stillThere() {
    return m_link->connected() && m_link->linkedInterfacePresent();
}

core::FunctionCodeContext CliSession::namingContext() const {
    core::FunctionCodeContext context;
    context.language = &language();
    context.storageKind = m_buffers.storageKind;
    const core::ConfigImage& image = m_buffers.workingImage;
    context.fireKeys = core::fireKeySettingsFromImage(image.bytes());
    const core::DeviceMacroTable& macros = m_cycle->deviceMacroTable();
    context.macroNameAt = [&macros](std::uint16_t address) { return macros.nameAt(address); };
    context.suffixes = m_cycle->codeSuffixes(context);
    context.aimDpiStep = aimDpiStepOf(image, context);
    return context;
}

void CliSession::startFullRead() {
    if (m_cycle->fullRead(m_discovery->storageKind(), [this] { m_discovery->showDeviceReady(); }) !=
        core::CycleResult::Done) {
        m_discovery->fullReadFailed();
    }
}

void CliSession::showMessageDialog(std::string_view key) {
    m_problem = text(key);
}

void CliSession::showMessageBox(std::string_view key) {
    m_problem = text(key);
}

void CliSession::showPermissionProblem() {
    m_permissionProblem = true;
    m_problem = permissionAdvice();
}

std::string CliSession::permissionAdvice() {
    const std::string path = m_discovery->refusedInterfacePath(*m_transport);
    return hid::permissionAdvice(path.empty() ? std::string("the mouse") : path);
}

} // namespace tarvik::cli
