#include "core/cycle/ConfigCycle.h"

#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"
#include "core/keys/FunctionCodeName.h"
#include "resources/Resources.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tarvik::core {

namespace {

namespace i2c = memmap::i2c;
namespace fl = memmap::flash;

// Sets ApplyingImage for a scope and puts back what it was, also when drawing throws.
class ApplyingScope {
public:
    explicit ApplyingScope(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~ApplyingScope() { m_flag = m_before; }
    ApplyingScope(const ApplyingScope&) = delete;
    ApplyingScope& operator=(const ApplyingScope&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

template <typename Container> std::span<Byte> half(Container& bytes, int h) {
    return std::span<Byte>(bytes).subspan(static_cast<std::size_t>(h) * i2c::kHalf, i2c::kHalf);
}

} // namespace

ConfigCycle::ConfigCycle(DeviceLink& link, ConfigBuffers& buffers, CycleUi& ui, bool& applyingImage,
                         DefaultImageKind defaultImageKind)
    : m_link(link), m_buffers(buffers), m_ui(ui), m_applyingImage(applyingImage),
      m_defaultImageKind(defaultImageKind), m_codeTable(buffers.workingImage) {}

DefaultImageKind ConfigCycle::builtInDefaultImageKind() {
    if (auto bytes = resources::find(kDefaultImagePaths[0])) {
        return defaultImageKindOf(*bytes);
    }
    return StorageKind::None;
}

// --- reading ------------------------------------------------------------------------------------

namespace {
// True only when the command was accepted and every data report of the read was answered: a read
// can "succeed" while its bytes are nothing but the 0xFF it was pre-filled with.
bool readSettings(DeviceLink& link, image::Section s, std::span<Byte> destination, Loading loading) {
    return link.readSettingsBlock(static_cast<Byte>(s.offset), static_cast<Byte>(s.length), destination,
                                  loading) &&
           link.lastReadComplete();
}

bool readInto(DeviceLink& link, std::uint16_t address, std::span<Byte> destination) {
    return link.readMemory(address, static_cast<std::uint16_t>(destination.size()), destination,
                           Loading::Shown) &&
           link.lastReadComplete();
}
} // namespace

CycleResult ConfigCycle::fullRead(StorageKind kind, const std::function<void()>& showDeviceReady) {
    m_applyingImage = true;
    m_ui.beginBusy();
    m_ui.refreshPcMacroNames();
    bool read = false;
    {
        // One transfer up to the ready state: the listener's status refreshes wait until the image
        // they would redraw has been drawn.
        DeviceLink::TransferScope transfer(m_link);
        // Read into a copy: a read that misses a report must leave nothing of itself behind, or the
        // next write would carry its 0xFF filler into the mouse with fresh checksums.
        ConfigBuffers staged = m_buffers;
        staged.storageKind = kind;
        for (int attempt = 0; attempt < kFullReadAttempts && !read; ++attempt) {
            read = readEverything(kind, staged);
        }
        if (read) {
            m_buffers = std::move(staged);
            m_readSerial = m_link.linkSerial();
            m_readIdentity = {m_buffers.dataBuf.manuId(), m_buffers.dataBuf.proId()};
            takeReadIntoViews(kind);
            m_readSnapshot = m_buffers;
            dataBufToUI();
            m_ui.readOsMouseParameters();
            if (showDeviceReady) {
                showDeviceReady();
            }
        } else {
            m_readSerial = 0;
        }
    }
    m_ui.endBusy();
    m_applyingImage = false;
    return read ? CycleResult::Done : CycleResult::NotRead;
}

bool ConfigCycle::readEverything(StorageKind kind, ConfigBuffers& into) {
    if (!m_link.connected()) {
        return false;
    }
    auto& data = into.dataBuf;
    if (!readSettings(m_link, image::kVendorSection, data.section(image::kVendorSection), Loading::Shown) ||
        !readSettings(m_link, image::kUserSection, data.section(image::kUserSection), Loading::Shown)) {
        return false;
    }
    if (kind == StorageKind::I2C) {
        return readI2C(into);
    }
    if (kind == StorageKind::Flash) {
        return readFlash(into);
    }
    return true;
}

bool ConfigCycle::readI2C(ConfigBuffers& into) {
    auto& data = into.dataBuf;
    return readInto(m_link, i2c::kProfiles.address, data.section(image::kProfileRun)) &&
           readInto(m_link, i2c::kReservedBlock.address, into.reservedBlock) &&
           readInto(m_link, i2c::kFireKeyBlock.address, data.section(image::kFireKeyBlock)) &&
           readInto(m_link, i2c::kMacroArea.address, half(into.deviceMacroArea, 0)) &&
           readInto(m_link, static_cast<std::uint16_t>(i2c::kMacroArea.address + i2c::kHalf),
                    half(into.deviceMacroArea, 1)) &&
           readInto(m_link, i2c::kFireMacroStore.address, into.fireMacroStore.half(0)) &&
           readInto(m_link, static_cast<std::uint16_t>(i2c::kFireMacroStore.address + i2c::kHalf),
                    into.fireMacroStore.half(1)) &&
           readInto(m_link, i2c::kPatchHeader.address, into.patchHeaderRecord) &&
           readInto(m_link, i2c::kPatchCode.address, half(into.eepromPatchCode, 0)) &&
           readInto(m_link, static_cast<std::uint16_t>(i2c::kPatchCode.address + i2c::kHalf),
                    half(into.eepromPatchCode, 1));
}

bool ConfigCycle::readFlash(ConfigBuffers& into) {
    auto& data = into.dataBuf;
    if (!readInto(m_link, fl::kSector.address, into.flashSector) ||
        !readInto(m_link, fl::kFireKeyBlock.address, data.section(image::kFireKeyBlock))) {
        return false;
    }
    // Header, profile sections, ReservedBlock and PatchLocked out of the sector.
    into.takeFlashSector();
    for (std::size_t i = 0; i < fl::kMacroCount; ++i) {
        if (!readInto(m_link, static_cast<std::uint16_t>(fl::kMacroBodies + i * fl::kMacroBodySize),
                      into.flashMacroBodies[i])) {
            return false;
        }
    }
    std::array<Byte, fl::kMacroNames.length> names{};
    if (!readInto(m_link, fl::kMacroNames.address, names)) {
        return false;
    }
    for (std::size_t i = 0; i < fl::kMacroCount; ++i) {
        std::copy_n(names.begin() + static_cast<std::ptrdiff_t>(i * kMacroNameFieldSize), kMacroNameFieldSize,
                    into.flashMacroNames[i].begin());
    }
    if (!readInto(m_link, fl::kFireMacroStore.address, into.fireMacroStore.bytes()) ||
        !readInto(m_link, fl::kPatchCode.address, into.flashPatchCode)) {
        return false;
    }
    into.patchLocked = into.flashSectorHeader[fl::kSectorPatchLockByte] == fl::kPatchLockedValue;
    return true;
}

void ConfigCycle::takeReadIntoViews(StorageKind kind) {
    reloadDeviceMacroTable(kind);
    m_ui.redrawDeviceMacros();
    m_buffers.splitFireMacroStore();
    m_ui.redrawFireMacros();
}

void ConfigCycle::reloadDeviceMacroTable(StorageKind kind) {
    if (kind == StorageKind::I2C) {
        m_macroTable.loadEeprom(m_buffers.deviceMacroArea);
        // The table repacks the area (page-boundary fillers); the buffer holds what the table holds,
        // so that a write or a profile file carries the same macros the lists show.
        m_buffers.deviceMacroArea = m_macroTable.eepromArea();
    } else if (kind == StorageKind::Flash) {
        m_macroTable.loadFlash(std::span<const MacroNameField, kFlashMacroCount>(m_buffers.flashMacroNames),
                               std::span<const MacroBody, kFlashMacroCount>(m_buffers.flashMacroBodies));
    } else {
        m_macroTable = DeviceMacroTable{};
    }
}

// --- drawing ------------------------------------------------------------------------------------

void ConfigCycle::dataBufToUI() {
    ApplyingScope applying(m_applyingImage);
    m_codeTable.clear();
    m_buffers.copyDataBufToWorkingImage();
    m_codeTable.rebuild();
    m_ui.refreshUi();
}

CodeSuffixes ConfigCycle::codeSuffixes(const FunctionCodeContext& context) const {
    const auto codes = m_codeTable.codes();
    return refreshFireFun(std::span<const KeyFunctionCode>(codes), context);
}

// --- writing ------------------------------------------------------------------------------------

bool ConfigCycle::refreshProfileParameter(Loading loading) {
    std::array<Byte, image::kUserSection.length> user{};
    const bool read = readSettings(m_link, image::kUserSection, user, loading) && m_link.lastReadComplete();
    if (!read) {
        // Taking the 0xFF of a failed read would hand the mouse a work mode of 0xFF next.
        return false;
    }
    std::copy(user.begin(), user.end(), m_buffers.dataBuf.section(image::kUserSection).begin());
    m_buffers.workingImage.copySectionFrom(m_buffers.dataBuf, image::kUserSection);
    return true;
}

void ConfigCycle::writeFlashSector() {
    store(fl::kSector.address, m_buffers.assembleFlashSector());
}

// After one stored write of a sequence failed, the later ones are left out: they cannot make good
// what is missing, and each adds to what the mouse holds half-written.
void ConfigCycle::store(std::uint16_t address, std::span<const Byte> bytes) {
    if (m_storedWriteFailed) {
        return;
    }
    if (!m_link.writeMemory(address, bytes)) {
        m_storedWriteFailed = true;
    }
}

// Whether the stored memory can be written: a mouse is connected and its storage kind is known.
CycleResult ConfigCycle::checkWritable() const {
    if (!m_link.connected()) {
        return CycleResult::NoDevice;
    }
    if (m_buffers.storageKind != StorageKind::I2C && m_buffers.storageKind != StorageKind::Flash) {
        return CycleResult::WrongKind;
    }
    // The stored areas are written whole, partly from what was read (the profile run, the "Flash"
    // sector's header, ReservedBlock and tail): never from a read that did not get every report,
    // nor from one of another mouse.
    if (!configurationRead()) {
        return CycleResult::NotRead;
    }
    return CycleResult::Done;
}

CycleResult ConfigCycle::commitKeyBlock(Variant variant) {
    if (m_applyingImage) {
        return CycleResult::Skipped;
    }
    m_buffers.commitProfilesToDataBuf();
    if (const CycleResult why = checkWritable(); why != CycleResult::Done) {
        return why;
    }
    const StorageKind kind = m_buffers.storageKind;

    DeviceLink::TransferScope transfer(m_link);
    m_storedWriteFailed = false;
    const DeviceLink::WriteCheck check(m_link);
    const auto& data = m_buffers.dataBuf;
    if (kind == StorageKind::I2C) {
        store(i2c::kProfiles.address, data.section(image::kProfileRun));
        if (variant == Variant::Complete) {
            store(i2c::kFireKeyBlock.address, data.section(image::kFireKeyBlock));
        }
    } else {
        writeFlashSector();
        if (variant == Variant::Complete) {
            store(fl::kFireKeyBlock.address, data.section(image::kFireKeyBlock));
        }
    }
    if (m_storedWriteFailed) {
        // Taking up the codes would load a half-written profile run; the mouse keeps working with
        // the codes it holds.
        return CycleResult::NotStored;
    }
    refreshProfileParameter();
    takeUpKeys();
    return check.allStored() ? CycleResult::Done : CycleResult::NotStored;
}

void ConfigCycle::takeUpKeys() {
    // 0x0F and then the real work mode make the mouse load the codes just written.
    constexpr Byte kTakeUpKeys = 0x0F;
    const auto offset = static_cast<Byte>(image::kCurrentProfile);
    const Byte mode = m_buffers.workingImage.currentProfile();
    m_link.writeSetting(offset, kTakeUpKeys, 0, 0, 1);
    // A mouse left at 0x0F holds no work mode at all (and an "I2C" mouse keeps it over a restart):
    // a refused mode write is sent once more. The refusal still counts, so the caller says not stored.
    if (!m_link.writeSetting(offset, mode, 0, 0, 1) && m_link.connected()) {
        m_link.writeSetting(offset, mode, 0, 0, 1);
    }
}

CycleResult ConfigCycle::writeDeviceMacros(const std::function<void()>& repoint) {
    if (repoint) {
        repoint();
    }
    if (m_macroTable.kind() == StorageKind::I2C) {
        m_buffers.deviceMacroArea = m_macroTable.eepromArea();
    } else if (m_macroTable.kind() == StorageKind::Flash) {
        const auto names = m_macroTable.flashNames();
        const auto bodies = m_macroTable.flashBodies();
        std::copy(names.begin(), names.end(), m_buffers.flashMacroNames.begin());
        std::copy(bodies.begin(), bodies.end(), m_buffers.flashMacroBodies.begin());
    }
    m_buffers.commitProfilesToDataBuf();
    if (const CycleResult why = checkWritable(); why != CycleResult::Done) {
        return why;
    }
    if (m_macroTable.kind() != m_buffers.storageKind) {
        return CycleResult::WrongKind;
    }
    m_ui.beginBusy();
    const DeviceLink::WriteCheck check(m_link);
    {
        DeviceLink::TransferScope transfer(m_link);
        m_storedWriteFailed = false;
        if (m_buffers.storageKind == StorageKind::I2C) {
            store(i2c::kProfiles.address, m_buffers.dataBuf.section(image::kProfileRun));
        } else {
            writeFlashSector();
        }
        for (const MacroMemoryWrite& write : m_macroTable.memoryWrites()) {
            store(write.address, write.bytes);
        }
    }
    m_ui.endBusy();
    return check.allStored() ? CycleResult::Done : CycleResult::NotStored;
}

CycleResult ConfigCycle::commitFireMacros(std::span<const Rgb, 10> colours) {
    if (m_applyingImage) {
        return CycleResult::Skipped;
    }
    m_buffers.commitProfilesToDataBuf();
    if (const CycleResult why = checkWritable(); why != CycleResult::Done) {
        return why;
    }
    DeviceLink::TransferScope transfer(m_link);
    m_storedWriteFailed = false;
    const DeviceLink::WriteCheck check(m_link);
    for (std::size_t c = 0; c < colours.size(); ++c) {
        const auto offset = static_cast<Byte>(image::kLedColors + 3 * c);
        m_link.writeSetting(offset, colours[c].red, colours[c].green, colours[c].blue, 3);
    }
    m_buffers.commitToDataBuf(image::kUserSection);
    m_link.writeSettingsBlock(static_cast<Byte>(image::kUserSection.offset),
                              m_buffers.dataBuf.section(image::kUserSection));
    const auto& data = m_buffers.dataBuf;
    if (m_buffers.storageKind == StorageKind::I2C) {
        store(i2c::kProfiles.address, data.section(image::kProfileRun));
        store(i2c::kFireKeyBlock.address, data.section(image::kFireKeyBlock));
        store(i2c::kFireMacroStore.address, m_buffers.fireMacroStore.half(0));
        store(static_cast<std::uint16_t>(i2c::kFireMacroStore.address + i2c::kHalf),
              m_buffers.fireMacroStore.half(1));
    } else {
        writeFlashSector();
        store(fl::kFireKeyBlock.address, data.section(image::kFireKeyBlock));
        store(fl::kFireMacroStore.address, m_buffers.fireMacroStore.bytes());
    }
    if (m_storedWriteFailed) {
        return CycleResult::NotStored;
    }
    refreshProfileParameter();
    takeUpKeys();
    return check.allStored() ? CycleResult::Done : CycleResult::NotStored;
}

CycleResult ConfigCycle::saveProfile(StorageKind kind, const std::function<void()>& showDeviceReady,
                                     const std::filesystem::path& path, FileResult* written) {
    // A mouse that leaves during the re-read would otherwise give a file of 0xFF.
    if (fullRead(kind, showDeviceReady) != CycleResult::Done) {
        return CycleResult::NotRead;
    }
    dataBufToMemo();
    const FileResult result = writeFileReplacing(path, writeProfileFile(m_buffers));
    if (written) {
        *written = result;
    }
    return result ? CycleResult::Done : CycleResult::FileFailed;
}

CycleResult ConfigCycle::writeAllToDevice() {
    if (const CycleResult why = checkWritable(); why != CycleResult::Done) {
        return why;
    }
    const StorageKind kind = m_buffers.storageKind;
    DeviceLink::TransferScope transfer(m_link);
    m_storedWriteFailed = false;
    const DeviceLink::WriteCheck check(m_link);
    const auto& data = m_buffers.dataBuf;
    m_link.writeSettingsBlock(static_cast<Byte>(image::kVendorSection.offset),
                              data.section(image::kVendorSection));
    m_link.writeSettingsBlock(static_cast<Byte>(image::kUserSection.offset),
                              data.section(image::kUserSection));
    if (kind == StorageKind::I2C) {
        writeStoredI2C();
    } else {
        writeStoredFlash();
    }
    return check.allStored() ? CycleResult::Done : CycleResult::NotStored;
}

void ConfigCycle::writeStoredI2C() {
    const auto& data = m_buffers.dataBuf;
    store(i2c::kProfiles.address, data.section(image::kProfileRun));
    store(i2c::kFireKeyBlock.address, data.section(image::kFireKeyBlock));
    store(i2c::kMacroArea.address, half(m_buffers.deviceMacroArea, 0));
    store(static_cast<std::uint16_t>(i2c::kMacroArea.address + i2c::kHalf),
          half(m_buffers.deviceMacroArea, 1));
    store(i2c::kFireMacroStore.address, m_buffers.fireMacroStore.half(0));
    store(static_cast<std::uint16_t>(i2c::kFireMacroStore.address + i2c::kHalf),
          m_buffers.fireMacroStore.half(1));
    store(i2c::kPatchHeader.address, m_buffers.patchHeaderRecord);
    store(i2c::kPatchCode.address, half(m_buffers.eepromPatchCode, 0));
    store(static_cast<std::uint16_t>(i2c::kPatchCode.address + i2c::kHalf),
          half(m_buffers.eepromPatchCode, 1));
}

void ConfigCycle::writeStoredFlash() {
    const auto& data = m_buffers.dataBuf;
    writeFlashSector();
    store(fl::kFireKeyBlock.address, data.section(image::kFireKeyBlock));
    std::vector<Byte> names;
    names.reserve(fl::kMacroNames.length);
    for (const auto& name : m_buffers.flashMacroNames) {
        names.insert(names.end(), name.begin(), name.end());
    }
    store(fl::kMacroNames.address, names);
    for (std::size_t i = 0; i < fl::kMacroCount; ++i) {
        store(static_cast<std::uint16_t>(fl::kMacroBodies + i * fl::kMacroBodySize),
              m_buffers.flashMacroBodies[i]);
    }
    store(fl::kFireMacroStore.address, m_buffers.fireMacroStore.bytes());
    if (!m_buffers.patchLocked) {
        store(fl::kPatchCode.address, m_buffers.flashPatchCode);
    }
}

// --- default images and profile files -----------------------------------------------------------

void ConfigCycle::takeMacrosIntoViews(StorageKind kind, bool clearFirst) {
    if (clearFirst) {
        m_ui.clearDeviceMacroViews();
    }
    reloadDeviceMacroTable(kind);
    m_ui.redrawDeviceMacros();
    if (clearFirst) {
        m_ui.clearFireMacroViews();
    }
    m_ui.redrawFireMacros();
}

CycleResult ConfigCycle::defaultSettings(int n, const std::function<void()>& resetAndRefind) {
    if (n < 1 || n > static_cast<int>(m_defaults.size())) {
        throw std::out_of_range("ConfigCycle::defaultSettings: default image 1 or 2");
    }
    if (!m_link.connected()) {
        return CycleResult::NoDevice;
    }
    // A mouse refused for its identity is held with ApplyingImage set: it gets no image of ours.
    if (m_applyingImage) {
        return CycleResult::Skipped;
    }
    const StorageKind kind = m_buffers.storageKind;
    if (kind == StorageKind::None || kind != m_defaultImageKind) {
        return CycleResult::WrongKind;
    }
    if (!configurationRead()) {
        return CycleResult::NotRead;
    }

    m_applyingImage = true;
    m_ui.closeKeyMenus();
    m_ui.beginBusy();
    loadDefaultImages(m_defaultImageKind, m_defaults);
    m_buffers.takeDefaultImage(m_defaults[static_cast<std::size_t>(n - 1)], kind);
    takeMacrosIntoViews(kind, true);
    m_ui.showLoading();
    dataBufToUI();
    const CycleResult written = writeAllToDevice();
    m_ui.hideLoading();
    m_ui.setDevTimerEnabled(true);
    m_applyingImage = false;
    if (resetAndRefind) {
        resetAndRefind();
    }
    return written;
}

CycleResult ConfigCycle::repairWithDefaults(StorageKind kind, int n,
                                            const std::function<void()>& resetAndRefind) {
    if (n < 1 || n > static_cast<int>(m_defaults.size())) {
        throw std::out_of_range("ConfigCycle::repairWithDefaults: default image 1 or 2");
    }
    if (!m_link.connected()) {
        return CycleResult::NoDevice;
    }
    if (kind == StorageKind::None || kind != m_defaultImageKind) {
        return CycleResult::WrongKind;
    }
    if (fullRead(kind, {}) != CycleResult::Done) {
        m_applyingImage = true; // still the refused mouse: no other write may reach it
        return CycleResult::NotRead;
    }
    return defaultSettings(n, resetAndRefind);
}

void ConfigCycle::initNoDevice() {
    loadDefaultImages(m_defaultImageKind, m_defaults);
    m_buffers.takeDefaultImage(m_defaults[0], m_defaultImageKind);
    takeMacrosIntoViews(m_defaultImageKind, false);
    dataBufToUI();
}

CycleResult ConfigCycle::loadProfile(std::span<const Byte> file, const std::function<void()>& resetAndRefind,
                                     FileLoadResult* why, ProfileSource source) {
    if (!m_link.connected()) {
        return CycleResult::NoDevice;
    }
    if (m_applyingImage) {
        return CycleResult::Skipped;
    }
    if (!configurationRead()) {
        return CycleResult::NotRead;
    }
    m_ui.closeKeyMenus();
    // The connected mouse as it was read: a file of another mouse would give it ids under which it
    // is no longer found, or identity bytes for which it is refused.
    const MouseIdentity mouse{m_link.linkVid(), m_link.linkPid(), m_readIdentity.first,
                              m_readIdentity.second};
    FileLoadResult taken =
        checkProfileFile(file, m_buffers.storageKind, m_buffers.patchLocked, mouse, source);
    if (taken) {
        taken = readProfileFile(file, m_buffers);
    }
    if (why) {
        *why = taken;
    }
    if (!taken) {
        return CycleResult::Refused;
    }

    const StorageKind kind = m_buffers.storageKind;
    m_applyingImage = true;
    m_ui.beginBusy();
    takeMacrosIntoViews(kind, false);
    dataBufToUI();
    m_ui.showLoading();
    m_ui.processEvents();
    const CycleResult written = writeAllToDevice();
    m_ui.hideLoading();
    m_ui.processEvents();
    m_ui.setDevTimerEnabled(true);
    // Cleared before the restart, as after default settings: a mouse that comes back refused for
    // its identity must keep the flag that discovery sets then.
    m_applyingImage = false;
    if (resetAndRefind) {
        resetAndRefind();
    }
    return written;
}

// --- patch code ------------------------------------------------------------------------------------

CycleResult ConfigCycle::programPatch(std::span<const Byte> file, const std::function<void()>& resetAndRefind,
                                      FileLoadResult* why) {
    if (const CycleResult result = checkWritable(); result != CycleResult::Done) {
        return result;
    }
    if (m_applyingImage) {
        return CycleResult::Skipped;
    }
    const FileLoadResult taken = readPatchFile(file, m_buffers);
    if (why) {
        *why = taken;
    }
    if (!taken) {
        return CycleResult::Refused;
    }

    m_ui.beginBusy();
    bool stored = false;
    PatchCheck check = PatchCheck::Unanswered;
    {
        DeviceLink::TransferScope transfer(m_link);
        m_storedWriteFailed = false;
        const DeviceLink::WriteCheck writes(m_link);
        if (m_buffers.storageKind == StorageKind::I2C) {
            checkEEPatchCodeSection(m_buffers);
            store(i2c::kPatchHeader.address, m_buffers.patchHeaderRecord);
            store(i2c::kPatchCode.address, half(m_buffers.eepromPatchCode, 0));
            store(static_cast<std::uint16_t>(i2c::kPatchCode.address + i2c::kHalf),
                  half(m_buffers.eepromPatchCode, 1));
        } else {
            checkPatchCodeSection(m_buffers);
            if (!m_buffers.patchLocked) {
                store(fl::kPatchCode.address, m_buffers.flashPatchCode);
            }
            writeFlashSector();
        }
        stored = writes.allStored();
        // A refused write already says the patch is not in the mouse; reading back then proves
        // nothing more, and a mouse that has left cannot be read.
        if (stored) {
            check = patchReadsBack();
        }
    }
    const std::vector<Byte> expected = patchInBuffers();
    const std::uint64_t serialBefore = m_link.linkSerial();
    // The mouse must restart in every case: it takes a patch only then, and after a failed write
    // the full read that follows shows what it really holds.
    if (resetAndRefind) {
        resetAndRefind();
    }
    if (!stored) {
        return CycleResult::NotStored;
    }
    // A read-back whose reports went unanswered says nothing about the patch: the whole read after
    // the restart, when there was one, shows what the mouse holds. Without it, every report of the
    // write went through, which is all any other write knows of itself.
    if (check == PatchCheck::Unanswered && m_link.linkSerial() != serialBefore && configurationRead()) {
        check = patchInBuffers() == expected ? PatchCheck::Same : PatchCheck::Differs;
    }
    return check == PatchCheck::Differs ? CycleResult::ReadBackDiffers : CycleResult::Done;
}

std::vector<Byte> ConfigCycle::patchInBuffers() {
    std::vector<Byte> bytes;
    if (m_buffers.storageKind == StorageKind::I2C) {
        bytes.assign(m_buffers.patchHeaderRecord.begin(), m_buffers.patchHeaderRecord.end());
        bytes.insert(bytes.end(), m_buffers.eepromPatchCode.begin(), m_buffers.eepromPatchCode.end());
        return bytes;
    }
    const auto header =
        m_buffers.assembleFlashSector().subspan(patch::kFlashHeaderOffset, patch::kHeaderSize);
    bytes.assign(header.begin(), header.end());
    // A locked patch is not written: only its header counts.
    if (!m_buffers.patchLocked) {
        bytes.insert(bytes.end(), m_buffers.flashPatchCode.begin(), m_buffers.flashPatchCode.end());
    }
    return bytes;
}

ConfigCycle::PatchCheck ConfigCycle::patchReadsBack() {
    // Unanswered when a report of the read went unanswered: its 0xFF filler is no mouse's answer.
    auto readsBack = [this](std::uint16_t address, std::span<const Byte> expected) {
        std::vector<Byte> got(expected.size());
        if (!m_link.readMemory(address, static_cast<std::uint16_t>(expected.size()), got, Loading::Shown) ||
            !m_link.lastReadComplete()) {
            return PatchCheck::Unanswered;
        }
        return std::equal(got.begin(), got.end(), expected.begin()) ? PatchCheck::Same : PatchCheck::Differs;
    };
    auto both = [](PatchCheck first, const std::function<PatchCheck()>& second) {
        return first == PatchCheck::Same ? second() : first;
    };
    if (m_buffers.storageKind == StorageKind::I2C) {
        return both(readsBack(i2c::kPatchHeader.address, m_buffers.patchHeaderRecord),
                    [&] { return readsBack(i2c::kPatchCode.address, m_buffers.eepromPatchCode); });
    }
    const auto header =
        m_buffers.assembleFlashSector().subspan(patch::kFlashHeaderOffset, patch::kHeaderSize);
    const PatchCheck headerBack =
        readsBack(static_cast<std::uint16_t>(fl::kSector.address + patch::kFlashHeaderOffset), header);
    // A locked patch was not written: only its header went out.
    if (m_buffers.patchLocked) {
        return headerBack;
    }
    return both(headerBack, [&] { return readsBack(fl::kPatchCode.address, m_buffers.flashPatchCode); });
}

} // namespace tarvik::core
