#pragma once
// The virtual mouse: a model of the mouse's firmware, reached through EmulatorTransport exactly as
// the real mouse is reached through hidapi. It answers the feature-report command set, keeps live
// settings and the stored memory of its storage kind, leaves the bus on reset and comes back with
// its live settings reloaded, sends input report 0x42 for its DPI and mode buttons, and can be told
// to misbehave for tests.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/device/Clock.h"
#include "core/device/HidTransport.h"
#include "core/image/ConfigImage.h"

namespace tarvik::emulator {

using core::Byte;
using core::StorageKind;

// Misbehaviour on demand. Report numbers count every feature report (Set or Get) that reaches the
// configuration interface, from 1, across the mouse's whole life.
struct Faults {
    int refuseReport = 0;            // this report is refused and has no effect (0: none)
    int unplugAtReport = 0;          // the mouse leaves the bus as this report arrives (0: never)
    bool failFetches = false;        // every Get-Feature fails
    bool stayAwayAfterReset = false; // after command 0x0E the mouse does not come back
    bool denyOpen = false;           // opening any of its interfaces fails for lack of permission
    std::optional<std::array<Byte, 2>> probeReply; // r1, r2 of the probe reply instead of 0x3A, kind
    // A data report that writes this stored-memory address keeps the byte with its bits inverted, as
    // a worn cell would; the report itself is accepted.
    std::optional<std::uint16_t> corruptStoredByte;
};

// One report as the mouse saw it, for comparing against what the host believes it exchanged.
struct ReportRecord {
    enum class Kind { Set, Get, In };
    Kind kind;
    std::vector<Byte> bytes;
    bool ok;
};

class VirtualMouse {
public:
    static constexpr std::uint16_t kInputReportLength = 8;
    static constexpr std::size_t kFlashSize = 0x10000;
    static constexpr int kConfigInterface = 2;
    static constexpr int kInterfaceCount = 3;

    // Physical buttons, as the event codes of input report 0x42.
    static constexpr Byte kDpiUp = 1;
    static constexpr Byte kDpiDown = 2;
    static constexpr Byte kDpiCycle = 4;
    static constexpr Byte kModeButton = 8;

    struct Options {
        StorageKind kind = StorageKind::I2C;
        // A ProfileFile ("I2C" or "Flash" layout) to start from; empty: built-in default image 1.
        std::vector<Byte> image;
        // Ids on the bus; 0: those of the image's VendorSection.
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        std::uint16_t releaseNumber = 0x0100;
        std::chrono::milliseconds resetDelay{1500}; // time off the bus after 0x0E, scaled by clock
        std::chrono::microseconds reportLatency{0}; // time each feature report takes, scaled by clock
        bool keepLog = false;                       // record every report in reportLog()
        core::Clock* clock = nullptr;               // null: Clock::standard()
        // A file that keeps the mouse's memory across runs: when it exists it replaces the image
        // (and its storage kind wins over `kind`, as a mouse keeps its memory chip); it is written
        // after every write that the mouse keeps and when the mouse is destroyed. Empty: none.
        std::string statePath;
    };

    // The state file's form: a magic, a version, the storage marker (0xE0 "I2C", 0xF0 "Flash"), the
    // 192 bytes of live settings the mouse restarts with, then the whole stored memory.
    static constexpr char kStateMagic[8] = {'T', 'V', 'M', 'S', 'T', 'A', 'T', 'E'};
    static constexpr Byte kStateVersion = 1;

    // What a state file holds, once its form has been checked.
    struct SavedState {
        StorageKind kind = StorageKind::I2C;
        std::array<Byte, 192> live{};
        std::vector<Byte> memory; // 2048 bytes for "I2C", 64 KiB for "Flash"
    };
    // The contents of a state file's bytes; nothing when they are not a whole state file of this
    // version, and then `problem` (when given) says why, to follow the file's name.
    static std::optional<SavedState> parseState(std::span<const Byte> bytes, std::string* problem = nullptr);
    // The most bytes a state file can have; a longer file is no state file.
    static std::size_t largestStateSize();

    VirtualMouse();
    explicit VirtualMouse(Options options);
    ~VirtualMouse();
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    StorageKind kind() const { return m_kind; }
    // Why the state file was not taken (unreadable, not a state file); empty when it was taken or
    // did not exist yet. A file that was not taken is never overwritten.
    const std::string& stateProblem() const { return m_stateProblem; }
    // Writes the state file now; false when there is none or it cannot be written (storeProblem()
    // then says why). A state file that is a symbolic link is never written through or replaced.
    // A store that fails during a report makes that report fail.
    bool storeState();
    std::string storeProblem();
    std::uint16_t vendorId() const { return m_vendorId; }
    std::uint16_t productId() const { return m_productId; }

    // --- the bus -----------------------------------------------------------------------------
    bool present();
    // Pulls the cable: open handles die at once.
    void unplug();
    // Plugs it back in: the mouse starts afresh (live settings reloaded from its memory).
    void plug();
    // Bumped each time the mouse leaves the bus; handles opened before are dead.
    std::uint64_t generation();
    // The interfaces as enumerated while present (paths change with each generation).
    std::vector<core::HidInterfaceInfo> interfaces(const std::string& pathPrefix);

    // --- what the transport calls ------------------------------------------------------------
    bool setFeature(std::uint64_t generation, int interfaceIndex, std::span<const Byte> report);
    bool getFeature(std::uint64_t generation, int interfaceIndex, std::span<Byte> report);
    struct InputQueue;
    std::shared_ptr<InputQueue> subscribeInput(std::uint64_t generation);
    int readInput(const std::shared_ptr<InputQueue>& queue, std::span<Byte> buffer,
                  std::chrono::milliseconds timeout);
    // Wakes a blocked readInput on that queue, which then fails; used when its handle closes.
    void closeInput(const std::shared_ptr<InputQueue>& queue);

    // --- the physical buttons ----------------------------------------------------------------
    // DPI buttons change CurrentDpi and the mode button CurrentProfile, as the mouse itself does;
    // each press and the release send input report 0x42 to every open configuration handle.
    void pressButton(Byte event);
    void releaseButtons();

    // --- inspection and set-up for tests -----------------------------------------------------
    std::array<Byte, 192> liveSettings();
    Byte currentProfile();
    Byte currentDpi();
    // Stored memory (2048 bytes for "I2C", 64 KiB for "Flash").
    std::vector<Byte> memory();
    std::vector<Byte> readMemory(std::uint16_t address, std::size_t length);
    void writeMemory(std::uint16_t address, std::span<const Byte> bytes);
    // The key codes the mouse works with, profile 0-2, 48 bytes each: taken from stored memory at
    // start and when 0x0F and then a real work mode are written to CurrentProfile.
    std::array<Byte, 48> activeKeyCodes(int profile);
    // ManuId and ProId of the stored FireKeyBlock.
    void setIdentity(Byte manuId, Byte proId);
    void setFaults(const Faults& faults);
    Faults faults();
    int reportCount();
    int resetCount();
    // Handles opened on any of its interfaces and not yet closed.
    int openHandleCount();
    std::vector<ReportRecord> reportLog();
    void clearReportLog();

private:
    void comeBackIfDue(); // with m_mutex held
    void waitReportLatency();
    // Counts one feature report addressed to the configuration interface; false when the mouse is
    // not there for it (gone, an old handle, another interface, or unplugged by this report).
    bool takeReport(std::uint64_t generation, int interfaceIndex); // with m_mutex held
    void leaveBus();                                               // with m_mutex held
    void bootFromMemory();
    void layOutImage(std::span<const Byte> image);
    // False when the report must count as refused (its state could not be stored).
    bool handleCommand(std::span<const Byte> report);
    bool handleData(std::span<const Byte> report);
    void writeLive(std::size_t offset, std::span<const Byte> values);
    Byte storedByte(std::size_t address) const;
    void storeByte(std::size_t address, Byte value);
    void loadActiveKeys();
    void sendInput(Byte event);
    bool loadState();        // from the constructor only
    bool storeStateLocked(); // with m_mutex held
    void log(ReportRecord::Kind kind, std::span<const Byte> bytes, bool ok);

    std::mutex m_mutex;
    std::condition_variable m_inputArrived;
    core::Clock& m_clock;
    Options m_options;
    StorageKind m_kind;
    std::uint16_t m_vendorId;
    std::uint16_t m_productId;

    bool m_present = true;
    std::uint64_t m_generation = 1;
    std::optional<core::Clock::TimePoint> m_returnAt;

    std::array<Byte, 192> m_live{};
    std::array<Byte, 192> m_savedLive{}; // "Flash": where the live settings survive a restart
    std::vector<Byte> m_memory;
    std::array<std::array<Byte, 48>, 3> m_activeKeys{};
    bool m_keyReloadArmed = false;

    // What the next fetched data reports return.
    std::vector<Byte> m_replyStream;
    std::size_t m_replyPos = 0;
    // Where the next sent data reports go.
    std::size_t m_writeAddress = 0;
    std::size_t m_writeRemaining = 0;

    std::vector<std::weak_ptr<InputQueue>> m_inputQueues;

    std::string m_statePath; // empty: no state file, or one that must not be overwritten
    std::string m_stateProblem;
    std::string m_storeProblem; // why the last store failed; empty after one that succeeded

    Faults m_faults;
    int m_reportCount = 0;
    int m_resetCount = 0;
    std::vector<ReportRecord> m_log;
};

} // namespace tarvik::emulator
