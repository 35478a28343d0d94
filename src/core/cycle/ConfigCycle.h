#pragma once
// The read, draw and write cycle of the configuration: the full read of an accepted mouse, the
// drawing of the image into the pages, the write-back of the key codes, the write of everything
// (default settings, profile loading) and the defaults shown without a mouse. All of it runs on the
// user-interface thread over DeviceLink, on the buffers the window owns.
//
// ApplyingImage: the flag is the caller's (the window keeps it with its other run-time state and
// hands it over by reference); the cycle sets it for the whole of a full read, a default-settings
// operation and a profile load, and while the image is drawn, and commitKeyBlock() reads it. Page
// handlers test the same flag, so there is only one.

#include "core/cycle/ButtonCodeTable.h"
#include "core/cycle/CycleUi.h"
#include "core/device/DeviceLink.h"
#include "core/image/ConfigBuffers.h"
#include "core/image/DefaultImages.h"
#include "core/image/FileIo.h"
#include "core/image/FileLoadResult.h"
#include "core/image/ProfileFile.h"
#include "core/keys/FunctionCodeContext.h"
#include "core/macros/DeviceMacroTable.h"

#include <filesystem>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace tarvik::core {

enum class CycleResult {
    Done,
    Skipped,    // ApplyingImage was set: nothing was sent
    NoDevice,   // no link to the mouse: nothing was sent (the window shows "Str022")
    WrongKind,  // the mouse is neither "I2C" nor "Flash", or not of the default images' kind
    Refused,    // the profile file was refused (see the FileLoadResult): nothing changed
    NotRead,    // the mouse's configuration was not read whole: nothing was drawn, taken or sent
    FileFailed, // the file could not be written whole (see the FileResult): the old file is kept
    // A report of the write was refused or the mouse left during it: the mouse does not hold all of
    // what was asked. A write into the stored memory stops at its failed report, and the sequence's
    // later stored writes and the take-up of new key codes are left out.
    NotStored,
    // Every report went through, but what the mouse gave back differs from what was written.
    ReadBackDiffers,
};

class ConfigCycle {
public:
    // Complete writes the FireKeyBlock as well; KeysOnly leaves it out.
    enum class Variant { Complete, KeysOnly };

    // defaultImageKind: the storage kind the built-in default images are made for
    // (DefaultIdentity::defaultImageKind; builtInDefaultImageKind() reads it from the resources).
    ConfigCycle(DeviceLink& link, ConfigBuffers& buffers, CycleUi& ui, bool& applyingImage,
                DefaultImageKind defaultImageKind = builtInDefaultImageKind());
    ConfigCycle(const ConfigCycle&) = delete;
    ConfigCycle& operator=(const ConfigCycle&) = delete;

    static DefaultImageKind builtInDefaultImageKind();

    // Attempts of a full read before it counts as failed.
    static constexpr int kFullReadAttempts = 3;

    // Btn_Read: the live settings and every stored region of a mouse of `kind` (which becomes the
    // buffers' storageKind) into the buffers, the device macro table loaded from them, the image
    // drawn, the OS mouse parameters re-read, then showDeviceReady (DeviceDiscovery::showDeviceReady)
    // and the end of the busy state. Runs inside the busy state with ApplyingImage set.
    //
    // A read in which any report went unanswered is no configuration: it is read again, up to
    // kFullReadAttempts times. When no attempt gets every report, NotRead: the buffers stay exactly
    // as they were, nothing is drawn, showDeviceReady is not called, and every write to the stored
    // memory is refused (NotRead) until a full read of this link succeeds.
    CycleResult fullRead(StorageKind kind, const std::function<void()>& showDeviceReady);

    // Whether the buffers hold a complete full read of the mouse now connected (the same opening
    // of the link). Key-block commits, default settings and profile loads need it.
    bool configurationRead() const { return m_readSerial != 0 && m_readSerial == m_link.linkSerial(); }

    // The buffers exactly as the last complete full read of the mouse now connected left them,
    // before any page edited them (what a backup keeps); null when configurationRead() is false.
    const ConfigBuffers* readSnapshot() const { return configurationRead() ? &m_readSnapshot : nullptr; }

    // DataBufToUI: DataBuf into the WorkingImage, the ButtonCodeTable rebuilt, then the window's
    // RefreshUI with ApplyingImage set for its duration.
    void dataBufToUI();

    // The remembered code suffixes of step 11 of the drawing, from the 36 button codes.
    CodeSuffixes codeSuffixes(const FunctionCodeContext& context) const;

    // CommitKeyBlock: the three profile sections of the WorkingImage get fresh checksums and go to
    // DataBuf and the mouse (with the FireKeyBlock for Variant::Complete), the UserSection is read
    // back, and 0x0F and then the work mode are written to CurrentProfile so that the mouse takes
    // the new codes up. While ApplyingImage is set nothing at all happens (Skipped). Without a link
    // the sections still reach DataBuf, but nothing is sent (NoDevice).
    CycleResult commitKeyBlock(Variant variant);

    // Confirm of the Fire Macro page, after the preset code and the fire macros were taken into the
    // buffers: the ten lighting colours, the UserSection (fresh checksum) as live settings, then the
    // profile sections, the FireKeyBlock and the committed fire macro store in the order of the
    // mouse's kind, the UserSection read back and 0x0F and the work mode written to CurrentProfile.
    // A failed stored write stops the later stored writes and the take-up; then NotStored. Skipped while
    // ApplyingImage is set; nothing is sent without a mouse whose configuration was read whole (NoDevice,
    // WrongKind, NotRead).
    CycleResult commitFireMacros(std::span<const Rgb, 10> colours);

    // RefreshProfileParameter: the 28-byte UserSection from the live settings into DataBuf and the
    // WorkingImage. A read that fails or comes back incomplete changes neither copy; false then.
    // The key-block commit shows the loading window; opening the fire page reads without it.
    bool refreshProfileParameter(Loading loading = Loading::Shown);

    // DataBufToMemo: StorageMarker from the mouse's kind, fresh checksums, the whole WorkingImage
    // into DataBuf and the edited fire macros into their store, ready for a profile file.
    void dataBufToMemo() { m_buffers.dataBufToMemo(); }

    // Save Profile once the file name is chosen: the whole mouse is read again (fullRead) and only
    // when every report came back is the image prepared (DataBufToMemo) and written to `path`,
    // replacing it whole or not at all. NotRead leaves any file at `path` untouched; FileFailed
    // (the reason in `written`) keeps the old file whole.
    CycleResult saveProfile(StorageKind kind, const std::function<void()>& showDeviceReady,
                            const std::filesystem::path& path, FileResult* written = nullptr);

    // WriteAllToDevice: both live-settings blocks from DataBuf, then every stored area in the
    // order of the mouse's kind; a locked "Flash" patch is not written.
    CycleResult writeAllToDevice();

    // Default settings n (1 or 2): the default image n replaces DataBuf, the macros, the fire macro
    // store and the patch, is drawn and written; then resetAndRefind (DeviceDiscovery::
    // resetAndRefind) makes the mouse restart and read back. Without a link (NoDevice) or with a
    // mouse of another kind than the default images (WrongKind) nothing changes.
    CycleResult defaultSettings(int n, const std::function<void()>& resetAndRefind);

    // The repair of a mouse refused for its identity bytes (a write broken off over them leaves a
    // mouse no program of ours would touch again): its configuration is read whole first, as the
    // default settings keep parts of what it holds, then default settings n are written, which
    // rewrite the identity bytes, and resetAndRefind follows. `kind` is the storage kind its probe
    // gave. NotRead when the read did not get every report: nothing is written and the mouse stays
    // held (ApplyingImage set). Only for such a mouse, and only when the user asked for it.
    CycleResult repairWithDefaults(StorageKind kind, int n, const std::function<void()>& resetAndRefind);

    // InitNoDevice: default image 1 into the buffers and drawn; nothing is sent.
    void initNoDevice();

    // The write of a loaded profile file (MemoToDataBuf_OnClick): the file is checked against the
    // connected mouse (checkProfileFile: kind, size, section checksums, vendor and product id of the
    // link, identity bytes as read from the mouse) and taken with readProfileFile; a file that fails
    // any check is Refused and changes nothing (`why` then says why). Then the macros and the image
    // are drawn, everything is written and resetAndRefind follows.
    CycleResult loadProfile(std::span<const Byte> file, const std::function<void()>& resetAndRefind,
                            FileLoadResult* why = nullptr, ProfileSource source = ProfileSource::File);

    // Btn_SaveMacroClick: the device macro table (changed by Add to Mouse or Delete) into the
    // buffers and to the mouse, inside the busy state: first the key codes re-pointed at moved
    // macros (`repoint`, entry order), the profile sections with fresh checksums, then the macro
    // area ("I2C") or the "Flash" sector, names and bodies. The buffers take the table even when
    // nothing can be sent, so that a profile file carries what the lists show.
    CycleResult writeDeviceMacros(const std::function<void()>& repoint = {});

    // Btn_ProgramClick: the patch data file `file` (see readPatchFile; a file the mouse's kind cannot
    // take is Refused and changes nothing) goes into the buffers and, inside the busy state, to the
    // mouse: "I2C" the header record with a fresh PatchHeader and the code in two halves; "Flash"
    // the code unless PatchLocked, then the FlashSector with the fresh header. The header and the
    // code are read back and compared, and resetAndRefind follows in every case, so that the mouse
    // restarts and is read again. NotStored when a report was refused, ReadBackDiffers when the
    // mouse gives back other bytes than it was sent. A read-back whose reports went unanswered is
    // no difference: then the full read after the restart (when resetAndRefind made one) is
    // compared instead. Needs a complete full read of this mouse.
    CycleResult programPatch(std::span<const Byte> file, const std::function<void()>& resetAndRefind,
                             FileLoadResult* why = nullptr);

    // The device macros as last read, defaulted or loaded; reloadDeviceMacroTable() takes them from
    // the buffers again ("I2C": the area is repacked into the buffer, as the mouse will read it).
    const DeviceMacroTable& deviceMacroTable() const { return m_macroTable; }
    DeviceMacroTable& deviceMacroTable() { return m_macroTable; }
    void reloadDeviceMacroTable(StorageKind kind);

    ButtonCodeTable& buttonCodeTable() { return m_codeTable; }
    const ButtonCodeTable& buttonCodeTable() const { return m_codeTable; }
    const DefaultImageBuffers& defaultImages() const { return m_defaults; }
    DefaultImageKind defaultImageKind() const { return m_defaultImageKind; }
    bool applyingImage() const { return m_applyingImage; }

private:
    CycleResult checkWritable() const;
    // One attempt of the stored-memory part of a full read into `into`; false at the first report
    // that went unanswered.
    bool readEverything(StorageKind kind, ConfigBuffers& into);
    bool readI2C(ConfigBuffers& into);
    bool readFlash(ConfigBuffers& into);
    void takeReadIntoViews(StorageKind kind);
    enum class PatchCheck { Same, Differs, Unanswered };
    // Whether the patch header and code the mouse gives back are those just written; Unanswered
    // when a report of the read went unanswered.
    PatchCheck patchReadsBack();
    // The patch header and code as the buffers hold them (the code only where it is written).
    std::vector<Byte> patchInBuffers();
    void writeStoredI2C();
    void writeStoredFlash();
    void writeFlashSector();
    // writeMemory, left out once a stored write of the current sequence has failed.
    void store(std::uint16_t address, std::span<const Byte> bytes);
    void takeMacrosIntoViews(StorageKind kind, bool clearFirst);
    // 0x0F and then the work mode to CurrentProfile, so that the mouse takes up new key codes.
    void takeUpKeys();

    DeviceLink& m_link;
    ConfigBuffers& m_buffers;
    CycleUi& m_ui;
    bool& m_applyingImage;
    DefaultImageKind m_defaultImageKind;
    ButtonCodeTable m_codeTable;
    DeviceMacroTable m_macroTable;
    DefaultImageBuffers m_defaults{};
    bool m_storedWriteFailed = false; // a stored write of this sequence failed
    ConfigBuffers m_readSnapshot;
    std::uint64_t m_readSerial = 0;                   // linkSerial() of the last complete full read
    std::pair<Byte, Byte> m_readIdentity{0xFF, 0xFF}; // ManuId, ProId of that read
};

} // namespace tarvik::core
