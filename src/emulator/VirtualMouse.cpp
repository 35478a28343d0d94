#include "emulator/VirtualMouse.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/image/MemoryMap.h"
#include "resources/Resources.h"

namespace tarvik::emulator {

namespace mm = core::memmap;

struct VirtualMouse::InputQueue {
    std::uint64_t generation = 0;
    std::deque<std::vector<Byte>> reports;
    bool closed = false;
};

namespace {

constexpr Byte kProbeSignature = 0x3A;
constexpr Byte kProbeFlash = 0x80;
constexpr Byte kProbeI2C = 0xC0;
constexpr std::size_t kProfileFileCommon = 496;
constexpr std::size_t kFlashFileMacroNames = 496;
constexpr std::size_t kFlashFileMacros = 1008;
constexpr std::size_t kFlashFileFireMacros = 9200;
constexpr std::size_t kFlashFileSectorHeader = 9712;
constexpr std::size_t kFlashFilePatchCode = 9736;
constexpr std::size_t kI2CFileMacroArea = 496;
constexpr std::size_t kI2CFileFireMacros = 1008;
constexpr std::size_t kI2CFilePatchHeader = 1520;
constexpr std::size_t kI2CFilePatchCode = 1536;
constexpr std::uint16_t kFlashStatusBase = mm::flash::kCurrentProfile; // UserSection mirrored here
constexpr std::size_t kUserSectionOffset = 164;
constexpr std::size_t kUserSectionLength = 28;

// Copies what the image has of [from, from + length) to memory at to; the rest stays as it was.
void copyFromImage(std::vector<Byte>& memory, std::size_t to, std::span<const Byte> image, std::size_t from,
                   std::size_t length) {
    if (from >= image.size()) {
        return;
    }
    length = std::min({length, image.size() - from, memory.size() - std::min(to, memory.size())});
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(from), length,
                memory.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<Byte> defaultImage() {
    auto bytes = tarvik::resources::find("images/TarvikData_Cfg1.bin");
    if (!bytes) {
        throw std::runtime_error("built-in default image 1 is missing");
    }
    return {bytes->begin(), bytes->end()};
}

std::uint16_t bigEndian(std::span<const Byte> bytes, std::size_t at) {
    return at + 1 < bytes.size() ? static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]) : 0;
}

} // namespace

VirtualMouse::VirtualMouse() : VirtualMouse(Options{}) {}

VirtualMouse::VirtualMouse(Options options)
    : m_clock(options.clock ? *options.clock : core::Clock::standard()), m_options(std::move(options)),
      m_kind(m_options.kind == StorageKind::Flash ? StorageKind::Flash : StorageKind::I2C) {
    std::vector<Byte> image = m_options.image.empty() ? defaultImage() : m_options.image;
    m_vendorId = m_options.vendorId ? m_options.vendorId : bigEndian(image, 0);
    m_productId = m_options.productId ? m_options.productId : bigEndian(image, 2);
    layOutImage(image);
    m_options.image.clear();
    if (!m_options.statePath.empty() && loadState()) {
        m_statePath = m_options.statePath;
    }
    bootFromMemory();
}

VirtualMouse::~VirtualMouse() {
    std::lock_guard lock(m_mutex);
    storeStateLocked();
}

std::size_t VirtualMouse::largestStateSize() {
    return sizeof kStateMagic + 2 + std::tuple_size_v<decltype(SavedState::live)> + kFlashSize;
}

std::optional<VirtualMouse::SavedState> VirtualMouse::parseState(std::span<const Byte> bytes,
                                                                 std::string* problem) {
    const auto refuse = [problem](const char* why) {
        if (problem) {
            *problem = why;
        }
        return std::nullopt;
    };
    SavedState state;
    const std::size_t header = sizeof kStateMagic + 2 + state.live.size();
    if (bytes.size() < header || !std::equal(std::begin(kStateMagic), std::end(kStateMagic), bytes.begin(),
                                             [](char a, Byte b) { return static_cast<Byte>(a) == b; })) {
        return refuse("is not a virtual mouse state file");
    }
    const Byte version = bytes[sizeof kStateMagic];
    const Byte marker = bytes[sizeof kStateMagic + 1];
    const bool flash = marker == core::image::kMarkerFlash;
    const std::size_t memorySize = flash ? kFlashSize : mm::i2c::kMemorySize;
    if (version != kStateVersion || (!flash && marker != core::image::kMarkerI2C) ||
        bytes.size() != header + memorySize) {
        return refuse("is a state file of another version or size");
    }
    state.kind = flash ? StorageKind::Flash : StorageKind::I2C;
    const auto live = bytes.begin() + static_cast<std::ptrdiff_t>(sizeof kStateMagic + 2);
    std::copy_n(live, state.live.size(), state.live.begin());
    state.memory.assign(live + static_cast<std::ptrdiff_t>(state.live.size()), bytes.end());
    return state;
}

bool VirtualMouse::loadState() {
    namespace fs = std::filesystem;
    const fs::path path(m_options.statePath);
    std::error_code error;
    const auto status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return true; // a first run: the file is made at the first stored write
    }
    if (status.type() != fs::file_type::regular) {
        m_stateProblem = m_options.statePath + " is not a regular file";
        return false;
    }
    // Never read more than the largest state file can be.
    std::ifstream in(path, std::ios::binary);
    std::vector<Byte> bytes;
    if (in) {
        bytes.resize(largestStateSize() + 1);
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (!in && !in.eof()) {
        m_stateProblem = "cannot read " + m_options.statePath;
        return false;
    }
    std::string problem;
    std::optional<SavedState> state = parseState(bytes, &problem);
    if (!state) {
        m_stateProblem = m_options.statePath + " " + problem;
        return false;
    }
    m_kind = state->kind;
    m_savedLive = state->live;
    m_memory = std::move(state->memory);
    return true;
}

bool VirtualMouse::storeState() {
    std::lock_guard lock(m_mutex);
    return storeStateLocked();
}

std::string VirtualMouse::storeProblem() {
    std::lock_guard lock(m_mutex);
    return m_storeProblem;
}

namespace {

// Writes all of `bytes` to `fd`; false at the first error (a full disk, for one).
bool writeWhole(int fd, const std::vector<Byte>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string reason(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

} // namespace

bool VirtualMouse::storeStateLocked() {
    if (m_statePath.empty()) {
        return false;
    }
    // A link in the state file's place leads somewhere the user did not name for this: replacing
    // the link by a plain file would cut it, writing through it would change its target.
    struct stat info {};
    if (::lstat(m_statePath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        m_storeProblem = m_statePath + " is a symbolic link; the state is not stored through it";
        return false;
    }
    std::vector<Byte> bytes(std::begin(kStateMagic), std::end(kStateMagic));
    bytes.push_back(kStateVersion);
    bytes.push_back(m_kind == StorageKind::Flash ? core::image::kMarkerFlash : core::image::kMarkerI2C);
    bytes.insert(bytes.end(), m_savedLive.begin(), m_savedLive.end());
    bytes.insert(bytes.end(), m_memory.begin(), m_memory.end());
    // Written aside under a name nobody else has (a link or file planted there is never opened),
    // made durable and renamed over the old file, so that a run stopped halfway leaves the last
    // whole state behind.
    static std::atomic<unsigned> serial{0};
    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = m_statePath + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) +
                    "-" + std::to_string(random());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        m_storeProblem = reason("cannot create a file beside " + m_statePath, errno);
        return false;
    }
    bool written = writeWhole(fd, bytes) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        m_storeProblem = reason("cannot write " + temporary, error);
        return false;
    }
    if (::rename(temporary.c_str(), m_statePath.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        m_storeProblem = reason("cannot replace " + m_statePath, error);
        return false;
    }
    m_storeProblem.clear();
    return true;
}

void VirtualMouse::layOutImage(std::span<const Byte> image) {
    const bool flashFile = image.size() > 495 && image[495] == core::image::kMarkerFlash;
    m_live.fill(0xFF);
    std::copy_n(image.begin(), std::min(image.size(), m_live.size()), m_live.begin());
    m_savedLive = m_live;

    if (m_kind == StorageKind::I2C) {
        m_memory.assign(mm::i2c::kMemorySize, 0xFF);
        // Settings, profiles, reserved block, filler and fire key block sit where the file has them.
        copyFromImage(m_memory, 0, image, 0, kProfileFileCommon);
        m_memory[mm::i2c::kFireKeyBlock.address + 11] = core::image::kMarkerI2C;
        if (!flashFile) {
            copyFromImage(m_memory, mm::i2c::kMacroArea.address, image, kI2CFileMacroArea, 512);
            copyFromImage(m_memory, mm::i2c::kFireMacroStore.address, image, kI2CFileFireMacros, 512);
            copyFromImage(m_memory, mm::i2c::kPatchHeader.address, image, kI2CFilePatchHeader, 16);
            copyFromImage(m_memory, mm::i2c::kPatchCode.address, image, kI2CFilePatchCode, 512);
        } else {
            copyFromImage(m_memory, mm::i2c::kFireMacroStore.address, image, kFlashFileFireMacros, 512);
        }
        return;
    }

    m_memory.assign(kFlashSize, 0xFF);
    const std::size_t sector = mm::flash::kSector.address;
    copyFromImage(m_memory, sector + mm::flash::kSectorProfiles, image, 192, 147);
    copyFromImage(m_memory, sector + mm::flash::kSectorReserved, image, 339, 41);
    copyFromImage(m_memory, mm::flash::kFireKeyBlock.address, image, 484, 12);
    m_memory[mm::flash::kFireKeyBlock.address + 11] = core::image::kMarkerFlash;
    if (flashFile) {
        copyFromImage(m_memory, sector, image, kFlashFileSectorHeader, mm::flash::kSectorHeaderSize);
        copyFromImage(m_memory, mm::flash::kMacroNames.address, image, kFlashFileMacroNames, 512);
        for (std::size_t i = 0; i < mm::flash::kMacroCount; ++i) {
            copyFromImage(m_memory, mm::flash::kMacroBodies + 256 * i, image, kFlashFileMacros + 256 * i,
                          256);
        }
        copyFromImage(m_memory, mm::flash::kFireMacroStore.address, image, kFlashFileFireMacros, 512);
        copyFromImage(m_memory, mm::flash::kPatchCode.address, image, kFlashFilePatchCode, 1024);
    } else {
        copyFromImage(m_memory, mm::flash::kFireMacroStore.address, image, kI2CFileFireMacros, 512);
    }
}

// --- the bus -------------------------------------------------------------------------------------

void VirtualMouse::comeBackIfDue() {
    if (!m_present && m_returnAt && m_clock.now() >= *m_returnAt) {
        m_present = true;
        m_returnAt.reset();
        bootFromMemory();
    }
}

void VirtualMouse::leaveBus() {
    m_present = false;
    ++m_generation;
    m_replyStream.clear();
    m_writeRemaining = 0;
    m_inputArrived.notify_all();
}

void VirtualMouse::bootFromMemory() {
    // "I2C" keeps the settings in EEPROM 0-191; "Flash" in a page of its own.
    if (m_kind == StorageKind::I2C) {
        std::copy_n(m_memory.begin(), m_live.size(), m_live.begin());
    } else {
        m_live = m_savedLive;
    }
    loadActiveKeys();
    m_keyReloadArmed = false;
    m_replyStream.clear();
    m_replyPos = 0;
    m_writeRemaining = 0;
}

bool VirtualMouse::present() {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    return m_present;
}

void VirtualMouse::unplug() {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    if (m_present) {
        leaveBus();
    }
    m_returnAt.reset();
}

void VirtualMouse::plug() {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    if (!m_present) {
        m_present = true;
        m_returnAt.reset();
        bootFromMemory();
    }
}

std::uint64_t VirtualMouse::generation() {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    return m_generation;
}

std::vector<core::HidInterfaceInfo> VirtualMouse::interfaces(const std::string& pathPrefix) {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    std::vector<core::HidInterfaceInfo> result;
    if (!m_present) {
        return result;
    }
    // A pointer interface, a keyboard/consumer interface and the configuration interface, the only
    // one with 8-byte feature reports.
    const std::uint16_t inputLengths[kInterfaceCount] = {5, 9, kInputReportLength};
    for (int i = 0; i < kInterfaceCount; ++i) {
        core::HidInterfaceInfo info;
        info.vendorId = m_vendorId;
        info.productId = m_productId;
        info.releaseNumber = m_options.releaseNumber;
        info.path = pathPrefix + "/" + std::to_string(m_generation) + "/" + std::to_string(i);
        info.featureReportLength = i == kConfigInterface ? 8 : 0;
        info.inputReportLength = inputLengths[i];
        result.push_back(std::move(info));
    }
    return result;
}

// --- feature reports -----------------------------------------------------------------------------

void VirtualMouse::log(ReportRecord::Kind kind, std::span<const Byte> bytes, bool ok) {
    if (m_options.keepLog) {
        m_log.push_back({kind, std::vector<Byte>(bytes.begin(), bytes.end()), ok});
    }
}

void VirtualMouse::waitReportLatency() {
    if (m_options.reportLatency.count() > 0) {
        m_clock.sleep(m_options.reportLatency);
    }
}

bool VirtualMouse::takeReport(std::uint64_t generation, int interfaceIndex) {
    comeBackIfDue();
    if (!m_present || generation != m_generation || interfaceIndex != kConfigInterface) {
        return false;
    }
    ++m_reportCount;
    if (m_reportCount == m_faults.unplugAtReport) {
        leaveBus();
        m_returnAt.reset();
        return false;
    }
    return true;
}

bool VirtualMouse::setFeature(std::uint64_t generation, int interfaceIndex, std::span<const Byte> report) {
    waitReportLatency();
    std::lock_guard lock(m_mutex);
    if (!takeReport(generation, interfaceIndex)) {
        return false;
    }
    if (m_reportCount == m_faults.refuseReport || report.size() != 8) {
        log(ReportRecord::Kind::Set, report, false);
        return false;
    }
    bool accepted = true;
    if (report[0] == 0x40) {
        switch (report[1]) {
        case 0x05:
        case 0x06:
        case 0x07:
        case 0x09:
        case 0x0D:
        case 0x0E:
            accepted = handleCommand(report);
            break;
        default:
            accepted = false;
        }
    } else if (report[0] == 0x41) {
        accepted = handleData(report);
    } else {
        accepted = false;
    }
    log(ReportRecord::Kind::Set, report, accepted);
    return accepted;
}

bool VirtualMouse::handleCommand(std::span<const Byte> report) {
    const Byte command = report[1];
    const std::size_t address = static_cast<std::size_t>(report[2] << 8 | report[3]);
    const std::size_t length = static_cast<std::size_t>(report[4] << 8 | report[5]);
    m_replyStream.clear();
    m_replyPos = 0;
    m_writeRemaining = 0;
    switch (command) {
    case 0x05: {
        const std::size_t count = report[7];
        if (count >= 1 && count <= 3) {
            writeLive(report[3], report.subspan(4, count));
            // A setting the mouse cannot keep is a refused report, not a silent loss.
            if (!m_statePath.empty() && !storeStateLocked()) {
                return false;
            }
        }
        break;
    }
    case 0x06: {
        const std::size_t offset = report[3];
        const std::size_t count = report[5];
        for (std::size_t i = 0; i < count; ++i) {
            m_replyStream.push_back(offset + i < m_live.size() ? m_live[offset + i] : 0xFF);
        }
        break;
    }
    case 0x07:
        m_writeAddress = address;
        m_writeRemaining = length;
        break;
    case 0x09: {
        const std::size_t status = kFlashStatusBase;
        for (std::size_t i = 0; i < length; ++i) {
            const std::size_t at = address + i;
            // The status bytes read back the live values, not what was last saved.
            if (m_kind == StorageKind::I2C && at < m_live.size()) {
                m_replyStream.push_back(m_live[at]);
            } else if (m_kind == StorageKind::Flash && at >= status && at < status + kUserSectionLength) {
                m_replyStream.push_back(m_live[kUserSectionOffset + at - status]);
            } else {
                m_replyStream.push_back(storedByte(at));
            }
        }
        break;
    }
    case 0x0D: {
        Byte kindByte = m_kind == StorageKind::Flash ? kProbeFlash : kProbeI2C;
        Byte signature = kProbeSignature;
        if (m_faults.probeReply) {
            signature = (*m_faults.probeReply)[0];
            kindByte = (*m_faults.probeReply)[1];
        }
        m_replyStream = {0x00, signature, kindByte, 0x00, 0x00, 0x00, 0x00};
        break;
    }
    case 0x0E:
        ++m_resetCount;
        leaveBus();
        if (m_faults.stayAwayAfterReset) {
            m_returnAt.reset();
        } else {
            m_returnAt = m_clock.now() + m_clock.scaled(m_options.resetDelay);
        }
        break;
    }
    return true;
}

bool VirtualMouse::handleData(std::span<const Byte> report) {
    const std::size_t n = std::min<std::size_t>(7, m_writeRemaining);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t address = m_writeAddress + i;
        const bool worn = m_faults.corruptStoredByte && *m_faults.corruptStoredByte == address;
        storeByte(address, worn ? static_cast<Byte>(~report[1 + i]) : report[1 + i]);
    }
    m_writeAddress += n;
    m_writeRemaining -= n;
    // The last report of a memory write keeps the state; when that fails the report is refused,
    // so the host learns the write was not kept.
    if (n > 0 && m_writeRemaining == 0 && !m_statePath.empty() && !storeStateLocked()) {
        return false;
    }
    return true;
}

Byte VirtualMouse::storedByte(std::size_t address) const {
    return address < m_memory.size() ? m_memory[address] : Byte{0xFF};
}

void VirtualMouse::storeByte(std::size_t address, Byte value) {
    if (address < m_memory.size()) {
        m_memory[address] = value;
    }
}

void VirtualMouse::writeLive(std::size_t offset, std::span<const Byte> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t at = offset + i;
        if (at >= m_live.size()) {
            break;
        }
        m_live[at] = values[i];
        if (m_kind == StorageKind::I2C) {
            m_memory[at] = values[i];
        } else {
            m_savedLive[at] = values[i];
        }
        if (at == core::image::kCurrentProfile) {
            // 0x0F and then a real work mode make the mouse take up freshly written key codes.
            const Byte mode = values[i];
            if (mode == 0x0F) {
                m_keyReloadArmed = true;
            } else if (m_keyReloadArmed && (mode & 0x0F) <= 2) {
                loadActiveKeys();
                m_keyReloadArmed = false;
            }
        }
    }
}

void VirtualMouse::loadActiveKeys() {
    const std::size_t base = m_kind == StorageKind::I2C
                                 ? mm::i2c::kProfiles.address
                                 : mm::flash::kSector.address + mm::flash::kSectorProfiles;
    for (std::size_t p = 0; p < 3; ++p) {
        for (std::size_t b = 0; b < 48; ++b) {
            m_activeKeys[p][b] = storedByte(base + 49 * p + b);
        }
    }
}

bool VirtualMouse::getFeature(std::uint64_t generation, int interfaceIndex, std::span<Byte> report) {
    waitReportLatency();
    std::lock_guard lock(m_mutex);
    if (!takeReport(generation, interfaceIndex)) {
        return false;
    }
    if (m_reportCount == m_faults.refuseReport || m_faults.failFetches || report.size() != 8 ||
        report[0] != 0x41) {
        log(ReportRecord::Kind::Get, report, false);
        return false;
    }
    for (std::size_t i = 0; i < 7; ++i) {
        report[1 + i] = m_replyPos < m_replyStream.size() ? m_replyStream[m_replyPos++] : Byte{0x00};
    }
    log(ReportRecord::Kind::Get, report, true);
    return true;
}

// --- input reports -------------------------------------------------------------------------------

std::shared_ptr<VirtualMouse::InputQueue> VirtualMouse::subscribeInput(std::uint64_t generation) {
    std::lock_guard lock(m_mutex);
    auto queue = std::make_shared<InputQueue>();
    queue->generation = generation;
    std::erase_if(m_inputQueues, [](const std::weak_ptr<InputQueue>& q) { return q.expired(); });
    m_inputQueues.push_back(queue);
    return queue;
}

int VirtualMouse::readInput(const std::shared_ptr<InputQueue>& queue, std::span<Byte> buffer,
                            std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    comeBackIfDue();
    auto ready = [&] {
        return queue->closed || queue->generation != m_generation || !queue->reports.empty();
    };
    if (timeout.count() < 0) {
        m_inputArrived.wait(lock, ready);
    } else {
        m_inputArrived.wait_for(lock, timeout, ready);
    }
    if (queue->closed || queue->generation != m_generation) {
        return -1;
    }
    if (queue->reports.empty()) {
        return 0;
    }
    std::vector<Byte> report = std::move(queue->reports.front());
    queue->reports.pop_front();
    const std::size_t n = std::min(report.size(), buffer.size());
    std::copy_n(report.begin(), n, buffer.begin());
    log(ReportRecord::Kind::In, std::span<const Byte>(report.data(), n), true);
    return static_cast<int>(n);
}

void VirtualMouse::closeInput(const std::shared_ptr<InputQueue>& queue) {
    std::lock_guard lock(m_mutex);
    queue->closed = true;
    m_inputArrived.notify_all();
}

void VirtualMouse::sendInput(Byte event) {
    std::vector<Byte> report(kInputReportLength, 0x00);
    report[0] = 0x42;
    report[3] = event;
    for (auto& weak : m_inputQueues) {
        if (auto queue = weak.lock(); queue && !queue->closed && queue->generation == m_generation) {
            queue->reports.push_back(report);
        }
    }
    m_inputArrived.notify_all();
}

void VirtualMouse::pressButton(Byte event) {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    if (!m_present) {
        return;
    }
    Byte& dpi = m_live[core::image::kCurrentDpi];
    const Byte count = m_live[core::image::kDpiLevelCount];
    const Byte top = count <= 7 ? count : 7;
    if (dpi > top) {
        dpi = 0;
    }
    switch (event) {
    case kDpiUp:
        dpi = dpi < top ? static_cast<Byte>(dpi + 1) : top;
        break;
    case kDpiDown:
        dpi = dpi > 0 ? static_cast<Byte>(dpi - 1) : Byte{0};
        break;
    case kDpiCycle:
        dpi = dpi < top ? static_cast<Byte>(dpi + 1) : Byte{0};
        break;
    case kModeButton: {
        // Written back in the form the host uses for each mode.
        static constexpr Byte kModeBytes[3] = {0x00, 0xF1, 0x02};
        const int mode = m_live[core::image::kCurrentProfile] & 0x0F;
        m_live[core::image::kCurrentProfile] = kModeBytes[mode <= 1 ? mode + 1 : 0];
        break;
    }
    default:
        break;
    }
    sendInput(event);
}

void VirtualMouse::releaseButtons() {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    if (m_present) {
        sendInput(0);
    }
}

// --- inspection ----------------------------------------------------------------------------------

std::array<Byte, 192> VirtualMouse::liveSettings() {
    std::lock_guard lock(m_mutex);
    comeBackIfDue();
    return m_live;
}

Byte VirtualMouse::currentProfile() {
    return liveSettings()[core::image::kCurrentProfile];
}

Byte VirtualMouse::currentDpi() {
    return liveSettings()[core::image::kCurrentDpi];
}

std::vector<Byte> VirtualMouse::memory() {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

std::vector<Byte> VirtualMouse::readMemory(std::uint16_t address, std::size_t length) {
    std::lock_guard lock(m_mutex);
    std::vector<Byte> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = storedByte(address + i);
    }
    return bytes;
}

void VirtualMouse::writeMemory(std::uint16_t address, std::span<const Byte> bytes) {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        storeByte(address + i, bytes[i]);
    }
}

std::array<Byte, 48> VirtualMouse::activeKeyCodes(int profile) {
    std::lock_guard lock(m_mutex);
    return m_activeKeys.at(static_cast<std::size_t>(profile));
}

void VirtualMouse::setIdentity(Byte manuId, Byte proId) {
    const std::uint16_t block =
        m_kind == StorageKind::I2C ? mm::i2c::kFireKeyBlock.address : mm::flash::kFireKeyBlock.address;
    const Byte ids[2] = {manuId, proId};
    writeMemory(block, ids);
}

void VirtualMouse::setFaults(const Faults& faults) {
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

Faults VirtualMouse::faults() {
    std::lock_guard lock(m_mutex);
    return m_faults;
}

int VirtualMouse::reportCount() {
    std::lock_guard lock(m_mutex);
    return m_reportCount;
}

int VirtualMouse::resetCount() {
    std::lock_guard lock(m_mutex);
    return m_resetCount;
}

int VirtualMouse::openHandleCount() {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_inputQueues.begin(), m_inputQueues.end(), [](const auto& weak) {
        auto queue = weak.lock();
        return queue && !queue->closed;
    }));
}

std::vector<ReportRecord> VirtualMouse::reportLog() {
    std::lock_guard lock(m_mutex);
    return m_log;
}

void VirtualMouse::clearReportLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

} // namespace tarvik::emulator
