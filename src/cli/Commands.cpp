#include "cli/Commands.h"

#include "cli/CliSession.h"
#include "cli/FunctionNames.h"
#include "cli/ProfileJson.h"
#include "core/backup/BackupStore.h"
#include "core/cycle/WorkModeSwitch.h"
#include "core/edit/KeyEdits.h"
#include "core/edit/SettingEdits.h"
#include "core/edit/StoreEdits.h"
#include "core/image/FileLoadResult.h"
#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"
#include "core/keys/FunctionCodeName.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroLibrary.h"
#include "core/macros/MacroLibraryFile.h"
#include "core/settings/SettingWrites.h"
#include "core/settings/SettingsState.h"
#include "core/text/LanguageTables.h"
#include "emulator/VirtualMouse.h"
#include "platform/MacroLibraryLocation.h"
#include "platform/MouseLocks.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>

namespace tarvik::cli {

namespace {

using core::Byte;
using platform::MouseLock;
using platform::windowHoldingMouse;

constexpr const char* kModeNames[3] = {"Office Mode", "Game Mode", "Third Mode"};
// No file this program reads comes near this; a bigger one is not one of ours.
constexpr std::uintmax_t kMaxInputFile = 1 << 20;

struct Streams {
    std::ostream& out;
    std::ostream& err;
};

// Reads a regular file of bounded size; false with a message on err otherwise.
bool readFile(const std::string& path, std::vector<Byte>& bytes, std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::status(path, error);
    if (error || status.type() != fs::file_type::regular) {
        err << "tarvikctl: " << path << ": " << (error ? error.message() : "not a regular file") << "\n";
        return false;
    }
    const auto size = fs::file_size(path, error);
    if (error || size > kMaxInputFile) {
        err << "tarvikctl: " << path << ": " << (error ? error.message() : "too large to be one of our files")
            << "\n";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        err << "tarvikctl: " << path << ": cannot be read\n";
        return false;
    }
    return true;
}

bool writeFile(const std::string& path, std::span<const Byte> bytes, std::ostream& err) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        err << "tarvikctl: " << path << ": cannot be written\n";
        return false;
    }
    return true;
}

std::string kindName(core::StorageKind kind) {
    return kind == core::StorageKind::Flash ? "Flash" : kind == core::StorageKind::I2C ? "I2C" : "unknown";
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

// The profile file the window would save for the mouse as read now.
std::vector<Byte> profileOf(CliSession& session) {
    session.cycle().dataBufToMemo();
    return core::writeProfileFile(session.buffers());
}

// The mouse's memory as read, in the profile file's layout, for the JSON document. Unlike a saved
// profile, the sections keep the checksums the mouse holds: single-setting writes (a work-mode
// switch) leave a section's checksum behind, and refreshing it here would make an import write
// something else than the mouse held.
std::vector<Byte> memoryOf(CliSession& session) {
    core::ConfigBuffers copy = session.buffers();
    copy.dataBuf.setByteAt(core::image::kStorageMarker, copy.storageKind == core::StorageKind::Flash
                                                            ? core::image::kMarkerFlash
                                                            : core::image::kMarkerI2C);
    copy.joinFireMacroStore();
    return core::writeProfileFile(copy);
}

int modeNumber(const std::string& text) {
    std::string t;
    for (char c : text) {
        t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (t == "1" || t == "office" || t == "office mode") {
        return 1;
    }
    if (t == "2" || t == "game" || t == "game mode") {
        return 2;
    }
    if (t == "3" || t == "third" || t == "third mode") {
        return 3;
    }
    return 0;
}

// "#RRGGBB" (the JSON document's form) or the same without "#".
std::optional<core::Rgb> parseColour(std::string text) {
    if (!text.empty() && text.front() == '#') {
        text.erase(0, 1);
    }
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        })) {
        return std::nullopt;
    }
    const unsigned long value = std::stoul(text, nullptr, 16);
    return core::Rgb{static_cast<Byte>(value >> 16), static_cast<Byte>(value >> 8), static_cast<Byte>(value)};
}

// The lighting effect by number (0 off, 1 to 5) or "off".
std::optional<int> lightingModeNumber(const std::string& text) {
    if (text == "off" || text == "Off" || text == "OFF") {
        return 0;
    }
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '5') {
        return text[0] - '0';
    }
    return std::nullopt;
}

// What `set` changes beyond work modes and buttons: one live setting each, decided as the Advanced
// and lighting pages decide it.
struct SettingChange {
    enum class Kind { DpiStep, CurrentDpi, DpiColour, ReportRate, LightingMode, StepTime, LightingColour };
    Kind kind = Kind::DpiStep;
    int index = 0; // the level, colour number, rate in Hz or effect
    int value = 0; // the step
    core::Rgb colour{};
};

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// A name as it can be printed on a terminal: control characters (which could move the cursor or
// change colours) and the backslash are written as \xNN.
std::string printableName(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// How long a run waits for another tarvikctl on the same mouse before giving up.
constexpr int kOtherToolWaitMs = 10000;

std::string pidText(long long pid) {
    return pid > 0 ? " (process " + std::to_string(pid) + ")" : std::string();
}

// The folder this program was started from, where an install keeps what it reads beside it.
std::filesystem::path programDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path() / "";
}

class Tool {
public:
    Tool(Streams io, core::RuntimeOptions options, bool backups, TransportMaker makeTransport)
        : m_io(io), m_options(std::move(options)), m_backups(backups),
          m_makeTransport(std::move(makeTransport)) {}

    // Runs `work` with the mouse found and read whole; the exit code of the whole. A mouse refused
    // for its identity bytes is refused, unless `repair` is given: that runs instead, on the mouse
    // found but not read.
    int withMouse(const std::function<int(CliSession&)>& work,
                  const std::function<int(CliSession&)>& repair = {}) {
        std::optional<MouseLock> lock;
        const std::unique_ptr<CliSession> taken = takeMouse(lock);
        if (!taken) {
            return kExitNoMouse;
        }
        CliSession& session = *taken;
        if (!session.stateProblem().empty()) {
            m_io.err << "tarvikctl: the virtual mouse starts afresh and its state is not kept: "
                     << session.stateProblem() << "\n";
        }
        bool refusedIdentity = false;
        switch (session.connect()) {
        case CliSession::Outcome::Ready:
            break;
        case CliSession::Outcome::NotAllowed:
            if (repair && session.discovery().state() == core::LinkState::RefusedIdentity) {
                refusedIdentity = true;
                break;
            }
            [[fallthrough]];
        case CliSession::Outcome::NoMouse:
            m_io.err << "tarvikctl: " << session.problem() << "\n";
            return kExitNoMouse;
        case CliSession::Outcome::Failed:
            m_io.err << "tarvikctl: " << session.problem() << "\n";
            return kExitMouseFailed;
        }
        session.backups().setEnabled(m_backups);
        m_guard = &session.backups();
        const int code = refusedIdentity ? repair(session) : work(session);
        m_guard = nullptr;
        if (!session.backups().refusal().empty()) {
            // Whatever the operation made of its kept-back writes, the mouse was not touched.
            m_io.err << "tarvikctl: no backup of the mouse could be saved (" << session.backups().refusal()
                     << "); nothing was changed. Give --no-backup to change it without one\n";
            return kExitUsage;
        }
        if (const auto mouse = session.virtualMouse()) {
            if (const std::string why = mouse->storeProblem(); !why.empty()) {
                m_io.err << "tarvikctl: the virtual mouse could not keep its state: " << why << "\n";
                return code == kExitOk ? kExitMouseFailed : code;
            }
        }
        return code;
    }

    int backupList() {
        const core::BackupStore store(core::defaultBackupFolder());
        // What changed is told against the mouse as it is now, when it can be read.
        std::vector<Byte> current;
        core::MouseIdentity mouse;
        core::StorageKind kind = core::StorageKind::None;
        bool patchLocked = false;
        // The list needs no mouse: one the window or another run holds is left alone.
        std::optional<MouseLock> lock;
        if (windowHoldingMouse() == 0 && lockMouse(lock, virtualMouseKey(m_options))) {
            CliSession session(m_options, m_makeTransport);
            if ((lock || lockMouse(lock, session.mouseKey())) &&
                session.connect() == CliSession::Outcome::Ready) {
                current = core::backupProfileOf(session.buffers());
                mouse = {session.link().linkVid(), session.link().linkPid(),
                         session.buffers().dataBuf.manuId(), session.buffers().dataBuf.proId()};
                kind = session.buffers().storageKind;
                patchLocked = session.buffers().patchLocked;
            }
        }
        const auto rows = core::backupRows(store, current, mouse, kind, patchLocked);
        std::size_t n = 0;
        for (const core::BackupRow& row : rows) {
            m_io.out << ++n << "  " << row.text << "\n";
        }
        m_io.out << rows.size() << " backups in " << store.folder().string() << "\n";
        return kExitOk;
    }

    int backupRestore(int n) {
        const core::BackupStore store(core::defaultBackupFolder());
        const auto entries = store.list();
        if (n < 1 || static_cast<std::size_t>(n) > entries.size()) {
            m_io.err << "tarvikctl: there is no backup " << n << "; backup list shows " << entries.size()
                     << "\n";
            return kExitUsage;
        }
        const std::filesystem::path file = entries[static_cast<std::size_t>(n - 1)].file;
        core::FileResult read;
        const auto bytes = core::readProfileFileFrom(file, &read);
        if (!bytes) {
            m_io.err << "tarvikctl: " << read.error << "\n";
            return kExitUsage;
        }
        // The same checks as a profile load: a backup of another mouse is refused.
        return withMouse([&](CliSession& session) { return load(session, *bytes, file.string()); });
    }

    // The session of this run, with the mouse held for it until `lock` goes (declare the lock before
    // the session, so that it outlives it); null, with the message, while the window or another
    // tarvikctl holds the mouse.
    std::unique_ptr<CliSession> takeMouse(std::optional<MouseLock>& lock) {
        if (windowRefuses()) {
            return nullptr;
        }
        // Held until the run ends, from before the mouse is read: a second run waits for this one
        // rather than writing over a change it never read. A virtual mouse is read from its state
        // file as the session is made, so its lock comes first.
        if (!lockMouse(lock, virtualMouseKey(m_options))) {
            return nullptr;
        }
        auto session = std::make_unique<CliSession>(m_options, m_makeTransport);
        if (!lock && !lockMouse(lock, session->mouseKey())) {
            return nullptr;
        }
        // Asked again with the lock held: a window that starts meanwhile looks for this lock before
        // it reads the mouse, so one of the two always sees the other.
        if (windowRefuses()) {
            return nullptr;
        }
        return session;
    }

    // True, with the message, when the window runs and so holds the mouse.
    bool windowRefuses() {
        const long long window = windowHoldingMouse();
        if (window == 0) {
            return false;
        }
        m_io.err << "tarvikctl: the tarvik-config window is running" << pidText(window)
                 << " and holds the mouse; close it first\n";
        return true;
    }

    // Takes the lock of the mouse named by key (nothing to take for an empty key); false, with the
    // message, when another tarvikctl keeps holding it.
    bool lockMouse(std::optional<MouseLock>& lock, const std::string& key) {
        if (key.empty()) {
            return true;
        }
        lock.emplace(key);
        if (lock->acquire(kOtherToolWaitMs)) {
            return true;
        }
        m_io.err << "tarvikctl: another tarvikctl" << pidText(lock->holder())
                 << " holds the mouse; try again when it has finished\n";
        return false;
    }

    // What an edit came to: exit 0 only when the mouse holds all of it. An edit that ends with the
    // mouse's restart (`restarted`: the session it restarted in) also needs the mouse found and
    // read whole again; what became of that is told with a failure too. Refusals a command words
    // itself (a file or a rule of the editor) are the caller's.
    int edited(const core::EditResult& result, const std::string& what, CliSession* restarted = nullptr) {
        if (keptBack()) {
            return kExitUsage; // withMouse says why
        }
        if (result.stored()) {
            return restarted ? reloaded(*restarted) : kExitOk;
        }
        std::string afterwards;
        if (restarted) {
            afterwards = restarted->discovery().state() == core::LinkState::Ready
                             ? "; it restarted and was read again"
                             : "; it did not come back after its restart";
        }
        switch (result.status) {
        case core::EditStatus::NotStored:
            m_io.err << "tarvikctl: the mouse did not take all of " << what << ": it refused a report or left"
                     << afterwards << "\n";
            break;
        case core::EditStatus::ReadBackDiffers:
            m_io.err << "tarvikctl: " << what << " read back from the mouse differs from what was written"
                     << afterwards << "\n";
            break;
        default:
            m_io.err << "tarvikctl: the mouse cannot take " << what << "; nothing was sent\n";
            break;
        }
        return kExitMouseFailed;
    }

    // The end of a load: the mouse restarted and must have been found and read again.
    int reloaded(CliSession& session) {
        if (session.discovery().state() != core::LinkState::Ready) {
            m_io.err << "tarvikctl: the mouse did not come back after its restart"
                     << (session.problem().empty() ? "" : ": " + session.problem()) << "\n";
            return kExitMouseFailed;
        }
        return kExitOk;
    }

    int list() {
        std::optional<MouseLock> lock;
        const std::unique_ptr<CliSession> taken = takeMouse(lock);
        if (!taken) {
            return kExitNoMouse;
        }
        CliSession& session = *taken;
        const auto outcome = session.connect();
        const auto& identity = session.identity();
        int found = 0;
        for (const core::HidInterfaceInfo& info : session.transport().enumerate()) {
            if (info.vendorId != identity.vendorId || info.productId != identity.productId ||
                info.featureReportLength != core::DeviceLink::kReportSize) {
                continue;
            }
            ++found;
            m_io.out << info.path << "  vendor " << hex4(info.vendorId) << "  product "
                     << hex4(info.productId) << "  release " << hex4(info.releaseNumber);
            if (outcome == CliSession::Outcome::Ready && info.path == session.link().linkedPath()) {
                const auto [manuId, proId] = session.discovery().lastIdentityBytes();
                const core::ConfigImage& image = session.buffers().workingImage;
                m_io.out << "  " << kindName(session.discovery().storageKind()) << "  identity "
                         << hex4(manuId).substr(2) << " " << hex4(proId).substr(2) << "  \""
                         << image.productString() << "\"";
            } else if (!session.problem().empty()) {
                m_io.out << "  cannot be used: " << session.problem();
            }
            m_io.out << "\n";
        }
        if (found == 0) {
            m_io.err << "tarvikctl: no mouse found\n";
            return kExitNoMouse;
        }
        return outcome == CliSession::Outcome::Ready    ? kExitOk
               : outcome == CliSession::Outcome::Failed ? kExitMouseFailed
                                                        : kExitNoMouse;
    }

    int show(bool json) {
        return withMouse([&](CliSession& session) {
            const std::string document = profileToJson(memoryOf(session), session.language());
            if (json) {
                m_io.out << document;
            } else {
                printReadable(session, nlohmann::ordered_json::parse(document));
            }
            return kExitOk;
        });
    }

    int exportJson(const std::string& path) {
        return withMouse([&](CliSession& session) {
            const std::string document = profileToJson(memoryOf(session), session.language());
            if (!writeFile(path, std::span(reinterpret_cast<const Byte*>(document.data()), document.size()),
                           m_io.err)) {
                return kExitUsage;
            }
            return kExitOk;
        });
    }

    int importJson(const std::string& path) {
        std::vector<Byte> bytes;
        if (!readFile(path, bytes, m_io.err)) {
            return kExitUsage;
        }
        // Everything is checked before the mouse is even looked for: a refused file sends nothing.
        const auto parsed =
            profileFromJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                            core::LanguageTables::builtIn().table(1));
        if (const auto* refusal = std::get_if<JsonRefusal>(&parsed)) {
            m_io.err << "tarvikctl: " << path << ": " << refusal->text() << "\n";
            return kExitUsage;
        }
        const JsonProfile& profile = std::get<JsonProfile>(parsed);
        return withMouse([&](CliSession& session) {
            return load(session, profile.profileFile, path, core::ProfileSource::Built);
        });
    }

    int profileSave(const std::string& path) {
        return withMouse([&](CliSession& session) {
            return writeFile(path, profileOf(session), m_io.err) ? kExitOk : kExitUsage;
        });
    }

    int profileLoad(const std::string& path) {
        std::vector<Byte> bytes;
        if (!readFile(path, bytes, m_io.err)) {
            return kExitUsage;
        }
        return withMouse([&](CliSession& session) { return load(session, bytes, path); });
    }

    int setMode(const std::string& modeText) {
        const int mode = modeNumber(modeText);
        if (mode == 0) {
            m_io.err << "tarvikctl: unknown work mode \"" << modeText << "\" (office, game or third)\n";
            return kExitUsage;
        }
        return withMouse([&](CliSession& session) {
            // A refused write may leave the mouse between two modes: that is a failed switch.
            return edited(core::switchWorkMode(session.cycle(), session.link(),
                                               session.buffers().workingImage, mode,
                                               session.general().buttonEffect),
                          "the work mode");
        });
    }

    int setButton(const std::string& modeText, int button, const std::string& function) {
        const int mode = modeNumber(modeText);
        if (mode == 0) {
            m_io.err << "tarvikctl: unknown work mode \"" << modeText << "\" (office, game or third)\n";
            return kExitUsage;
        }
        return withMouse([&](CliSession& session) { return assign(session, mode, button, function); });
    }

    int setSetting(const SettingChange& change) {
        return withMouse([&](CliSession& session) { return applySetting(session, change); });
    }

    int macrosList() {
        return withMouse([&](CliSession& session) {
            const core::DeviceMacroTable& table = session.cycle().deviceMacroTable();
            const auto names = table.names();
            const core::MacroAddressTable addresses = table.addressTable();
            for (std::size_t row = 0; row < names.size(); ++row) {
                m_io.out << row + 1 << "  " << printableName(names[row]) << "  at "
                         << hex4(addresses.address(row)) << "\n";
            }
            m_io.out << names.size() << " of " << table.capacity() << " macros\n";
            return kExitOk;
        });
    }

    // Add to Mouse of the macro page: the library macro of that name goes after the mouse's macros.
    int macrosAdd(const std::string& name) {
        // Control characters have no place in a name the mouse shows; refused before anything else.
        if (hasControlCharacter(name)) {
            m_io.err << "tarvikctl: \"" << printableName(name)
                     << "\" holds control characters, which no macro name may\n";
            return kExitUsage;
        }
        // The user's library is read before the mouse is even looked for: a name it lacks sends nothing.
        const platform::MacroLibraryLocation location =
            platform::macroLibraryLocation(core::GeneralLayout::loadBuiltIn().macroPath, programDirectory());
        // Where the window would take its library from; tarvikctl only reads it and moves nothing.
        const std::filesystem::path file = platform::libraryToRead(location);
        core::MacroLibrary library;
        if (!file.empty()) {
            core::FileResult read;
            const auto bytes = core::readMacroFile(file, &read);
            if (!bytes) {
                m_io.err << "tarvikctl: the macro library " << file.string()
                         << " cannot be read: " << read.error << "\n";
                return kExitUsage;
            }
            library = core::MacroLibrary::fromBytes(*bytes);
        }
        const auto names = library.names();
        const auto row = std::find(names.begin(), names.end(), name);
        if (row == names.end()) {
            m_io.err << "tarvikctl: the macro library " << location.path.string() << " has no macro named \""
                     << printableName(name) << "\"\n";
            return kExitUsage;
        }
        const core::LibrarySlot& slot = library.slot(static_cast<std::size_t>(row - names.begin()));
        return withMouse([&](CliSession& session) -> int {
            const core::MacroEdit edit =
                core::addDeviceMacro(session.cycle(), session.namingContext(), slot.name, slot.body);
            if (edit.result.refusal != core::EditRefusal::NotAllowed) {
                return edited(edit.result, "the macros");
            }
            switch (edit.table) {
            case core::DeviceMacroTable::Result::TableFull:
                m_io.err << "tarvikctl: the mouse holds " << session.cycle().deviceMacroTable().capacity()
                         << " macros already\n";
                break;
            case core::DeviceMacroTable::Result::Unreadable:
                m_io.err << "tarvikctl: " << session.text(core::kMacroNameRefusedMessage) << "\n";
                break;
            default:
                m_io.err << "tarvikctl: " << session.text(core::kMacroNoRoomMessage) << "\n";
                break;
            }
            return kExitUsage;
        });
    }

    // Delete of the macro page, for row `n` (1 on) of `macros list`.
    int macrosDelete(int n) {
        if (n < 1) {
            m_io.err << "tarvikctl: macros are numbered from 1, as macros list shows them\n";
            return kExitUsage;
        }
        return withMouse([&](CliSession& session) -> int {
            const core::MacroEdit edit = core::deleteDeviceMacro(session.cycle(), session.namingContext(),
                                                                 static_cast<std::size_t>(n - 1));
            if (edit.result.refusal == core::EditRefusal::NotAllowed) {
                m_io.err << "tarvikctl: the mouse holds " << session.cycle().deviceMacroTable().count()
                         << " macros; there is no macro " << n << "\n";
                return kExitUsage;
            }
            return edited(edit.result, "the macros");
        });
    }

    int macrosExport(const std::string& path) {
        return withMouse([&](CliSession& session) {
            return writeFile(path, session.cycle().deviceMacroTable().exportFile(), m_io.err) ? kExitOk
                                                                                              : kExitUsage;
        });
    }

    // Default settings n (1 or 2). They are also the way back for a mouse refused for its identity
    // bytes (a write broken off over them, for one): these are rewritten with the rest.
    int defaults(int n) {
        const auto resetAndRefind = [](CliSession& session) {
            return [&session] { session.discovery().resetAndRefind(); };
        };
        return withMouse(
            [&](CliSession& session) {
                return edited(core::defaultSettings(session.cycle(), n, resetAndRefind(session)),
                              "the default settings", &session);
            },
            [&](CliSession& session) {
                m_io.err
                    << "tarvikctl: " << session.problem()
                    << "\ntarvikctl: its identity bytes are not those of this product line; writing default "
                       "settings "
                    << n << " replaces its whole configuration and rewrites them\n";
                return edited(core::repairWithDefaults(session.cycle(), session.discovery().storageKind(), n,
                                                       resetAndRefind(session)),
                              "the default settings", &session);
            });
    }

    int patch(const std::string& path) {
        std::vector<Byte> file;
        if (!readFile(path, file, m_io.err)) {
            return kExitUsage;
        }
        return withMouse([&](CliSession& session) { return program(session, file, path); });
    }

private:
    int load(CliSession& session, std::span<const Byte> file, const std::string& path,
             core::ProfileSource source = core::ProfileSource::File) {
        const core::FileEdit edit = core::loadProfile(session.cycle(), file, source,
                                                      [&session] { session.discovery().resetAndRefind(); });
        if (edit.result.refusal == core::EditRefusal::FileRefused) {
            m_io.err << "tarvikctl: " << path << ": " << core::kLoadingBinError << " (" << edit.file.reason()
                     << ")\n";
            return kExitUsage;
        }
        return edited(edit.result, "the profile", &session);
    }

    // The window's assignment of a function to a button: the code goes into the key page of the
    // mode, and the key sections are written back (with the fire key block for catalogue entries).
    int assign(CliSession& session, int mode, int button, const std::string& function) {
        const core::FunctionCodeContext context = session.namingContext();
        const core::DeviceMacroTable& macros = session.cycle().deviceMacroTable();
        std::vector<std::uint16_t> addresses;
        const core::MacroAddressTable table = macros.addressTable();
        for (std::size_t row = 0; row < macros.count(); ++row) {
            addresses.push_back(table.address(row));
        }
        const auto resolved = resolveFunction(function, context, macros.names(), addresses);
        if (!resolved) {
            m_io.err << "tarvikctl: unknown function \"" << function << "\"; one of:";
            for (const std::string& name : catalogueNames(context)) {
                m_io.err << " \"" << name << "\"";
            }
            m_io.err << ", a macro in the mouse, or a key combination such as \"Ctrl+Alt+A\"\n";
            return kExitUsage;
        }
        if (resolved->source == ResolvedFunction::Source::WeaponPreset) {
            m_io.err << "tarvikctl: weapon presets are set up on the fire page together with their "
                        "macros; set them in the window\n";
            return kExitUsage;
        }
        const core::KeyFunctionCode code = resolved->code;
        core::ConfigCycle& cycle = session.cycle();
        core::EditResult result;
        switch (resolved->source) {
        case ResolvedFunction::Source::Catalogue:
            result = core::assignButton(cycle, mode, button, code);
            break;
        case ResolvedFunction::Source::Macro:
            result = core::assignMacro(cycle, mode, button, code);
            break;
        default:
            result = core::applyCombination(cycle, mode, button, code);
            break;
        }
        if (result.refusal == core::EditRefusal::NotAllowed) {
            // The left key is named as the window names it; which buttons hold it is decided on codes.
            const std::string leftKey = session.text("Str210");
            if (resolved->source == ResolvedFunction::Source::Catalogue) {
                m_io.err << "tarvikctl: Office Mode keeps one button with " << leftKey << "; button "
                         << button << " was not changed\n";
            } else {
                m_io.err << "tarvikctl: button " << button << " is the only " << leftKey << " of "
                         << kModeNames[mode - 1] << "; it was not changed\n";
            }
            return kExitUsage;
        }
        return edited(result, "the key codes");
    }

    // The window's handler for the same control, from the settings it would have drawn from this read.
    int applySetting(CliSession& session, const SettingChange& change) {
        core::ConfigImage& working = session.buffers().workingImage;
        const core::ConfigCycle& cycle = session.cycle();
        core::DeviceLink& link = session.link();
        core::SettingsState settings;
        settings.takeImage(working);
        core::DpiState& dpi = settings.dpi;
        bool restarted = false;
        core::EditResult result;
        using Kind = SettingChange::Kind;
        switch (change.kind) {
        case Kind::DpiStep:
            result = core::setDpiStep(cycle, link, dpi, change.index, change.value);
            break;
        case Kind::CurrentDpi:
            result = core::setCurrentDpi(cycle, link, dpi, change.index);
            break;
        case Kind::DpiColour:
            result = core::setDpiColour(cycle, link, dpi, change.index, change.colour);
            break;
        case Kind::ReportRate: {
            int code = 0;
            while (code < 3 && core::ConfigImage::reportRateHzForCode(code) != change.index) {
                ++code;
            }
            result = core::setReportRate(cycle, link, dpi, working, code, [&] {
                session.discovery().resetAndRefind();
                restarted = true;
            });
            break;
        }
        case Kind::LightingMode:
            result = core::setLightingMode(cycle, link, settings.lighting, working, change.index);
            break;
        case Kind::StepTime:
            result = core::setStepTime(cycle, link, settings.lighting, working, change.index);
            break;
        case Kind::LightingColour:
            result = core::setLightingColour(cycle, link, settings.lighting, change.index, change.colour);
            break;
        }
        if (result.refusal == core::EditRefusal::NotAllowed) {
            return notOffered(change, settings);
        }
        if (const int code = edited(result, "the setting"); code != kExitOk) {
            return code;
        }
        // The mouse takes a new report rate only when it restarts.
        return restarted ? reloaded(session) : kExitOk;
    }

    // Why the mouse as read does not offer the change.
    int notOffered(const SettingChange& change, const core::SettingsState& settings) {
        switch (change.kind) {
        case SettingChange::Kind::LightingMode:
            m_io.err << "tarvikctl: this mouse's lighting does not offer effect " << change.index << "\n";
            break;
        case SettingChange::Kind::LightingColour:
            m_io.err
                << "tarvikctl: this mouse's lighting follows its DPI colours and has no colours of its own\n";
            break;
        default:
            m_io.err << "tarvikctl: DPI level " << change.index << " is not enabled; the mouse has "
                     << settings.dpi.enabledLevels << " levels\n";
            break;
        }
        return kExitUsage;
    }

    int program(CliSession& session, std::span<const Byte> file, const std::string& path) {
        const core::FileEdit edit =
            core::programPatch(session.cycle(), file, [&session] { session.discovery().resetAndRefind(); });
        if (edit.result.refusal == core::EditRefusal::FileRefused) {
            m_io.err << "tarvikctl: " << path << ": " << core::kLoadingBinError << " (" << edit.file.reason()
                     << ")\n";
            return kExitUsage;
        }
        if (const int code = edited(edit.result, "the patch", &session); code != kExitOk) {
            return code;
        }
        if (session.buffers().storageKind == core::StorageKind::Flash && session.buffers().patchLocked) {
            m_io.out << "the mouse's patch is locked: only its header was written\n";
        }
        return kExitOk;
    }

    void printReadable(CliSession& session, const nlohmann::ordered_json& doc) {
        std::ostream& out = m_io.out;
        const core::ConfigImage& image = session.buffers().workingImage;
        out << "Mouse: " << doc["storageKind"].get<std::string>() << ", vendor " << hex4(image.vendorId())
            << ", product " << hex4(image.productId()) << ", \"" << image.productString() << "\"\n";
        out << "Work mode: " << (doc["workMode"].is_null() ? "none" : doc["workMode"].get<std::string>())
            << "\n";
        out << "Report rate: " << doc["reportRate"].get<int>() << " Hz\n";
        const auto& dpi = doc["dpi"];
        out << "DPI levels: "
            << (dpi["enabledLevels"].is_null() ? std::string("?") : dpi["enabledLevels"].dump())
            << " enabled, current level " << dpi["currentLevel"].get<int>() << "\n";
        int level = 1;
        for (const auto& entry : dpi["levels"]) {
            out << "  " << level++ << ": "
                << (entry["dpi"].is_null() ? std::string("no value")
                                           : entry["dpi"].dump() + " DPI (step " + entry["step"].dump() + ")")
                << "  " << entry["color"].get<std::string>() << "\n";
        }
        const auto& lighting = doc["lighting"];
        out << "Lighting: " << lighting["kind"].get<std::string>() << ", effect "
            << lighting["effect"].get<int>() << ", step time " << lighting["stepTime"].get<int>()
            << ", colours";
        for (const auto& c : lighting["colors"]) {
            out << " " << c.get<std::string>();
        }
        out << "\n";
        out << "Fire keys:";
        int key = 1;
        for (const auto& f : doc["fireKeys"]) {
            out << "  " << key++ << ": " << f["count"].get<int>() << " shots, " << f["delay"].get<int>()
                << " ms apart";
        }
        out << "\n";
        for (const auto& [mode, buttons] : doc["buttons"].items()) {
            out << mode << ":\n";
            for (const auto& [button, entry] : buttons.items()) {
                out << "  " << button << ": "
                    << (entry["function"].is_null() ? std::string("(unnamed)")
                                                    : printableName(entry["function"].get<std::string>()))
                    << "  [" << entry["code"].get<std::string>() << "]\n";
            }
        }
        out << "Macros in the mouse:";
        if (doc["macros"].empty()) {
            out << " none";
        }
        for (const auto& name : doc["macros"]) {
            out << " \"" << printableName(name.get<std::string>()) << "\"";
        }
        out << "\n";
    }

    // The change was kept back because no backup could be saved: nothing reached the mouse.
    bool keptBack() const { return m_guard && !m_guard->refusal().empty(); }

    Streams m_io;
    core::RuntimeOptions m_options;
    bool m_backups = true;
    const core::BackupGuard* m_guard = nullptr; // of the session withMouse runs
    TransportMaker m_makeTransport;
};

} // namespace

int runTarvikctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return runTarvikctl(args, out, err, {});
}

int runTarvikctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const TransportMaker& makeTransport) {
    CLI::App app{"tarvikctl: reads and changes the configuration of a gaming mouse built on the Tarvik "
                 "controller.\nExit codes: 0 success, 1 usage, 2 no mouse or not allowed, 3 the mouse "
                 "refused or left.",
                 "tarvikctl"};
    app.set_version_flag("--version", std::string("tarvikctl ") + TARVIK_VERSION);
    app.require_subcommand(1);
    // The option may follow the subcommand (tarvikctl set mode game --no-backup).
    app.fallthrough();
    bool noBackup = false;
    app.add_flag("--no-backup", noBackup,
                 "Change the mouse without saving a backup of it first (by default one is saved in "
                 "$XDG_STATE_HOME/tarvik-config/backups before the first change)");

    std::string virtualMouse;
    std::string virtualMouseState;
    app.add_option("--virtual-mouse", virtualMouse,
                   "Use the built-in virtual mouse with i2c or flash memory (as TARVIK_EMULATOR)")
        ->check(CLI::IsMember({"i2c", "flash"}, CLI::ignore_case));
    app.add_option("--virtual-mouse-state", virtualMouseState,
                   "Keep the virtual mouse's memory in this file (as TARVIK_EMULATOR_STATE)");

    auto* list = app.add_subcommand("list", "The mice found, their memory kind and identity");
    auto* show = app.add_subcommand("show", "The whole configuration, by name");
    bool showJson = false;
    show->add_flag("--json", showJson, "As the JSON document export writes");

    auto* set = app.add_subcommand("set", "Change one setting, as the window does");
    set->require_subcommand(1);
    auto* setMode = set->add_subcommand("mode", "Switch the work mode");
    std::string modeText;
    setMode->add_option("mode", modeText, "office, game or third")->required();
    auto* setButton = set->add_subcommand("button", "Give a button a function");
    std::string buttonMode;
    int buttonNumber = 0;
    std::string function;
    setButton->add_option("mode", buttonMode, "office, game or third")->required();
    setButton->add_option("button", buttonNumber, "1 to 12")->required()->check(CLI::Range(1, 12));
    setButton
        ->add_option("function", function,
                     "A catalogue name (\"Volume +\"), a macro in the mouse or a key combination "
                     "(\"Ctrl+Alt+A\")")
        ->required();

    SettingChange change;
    std::string colourText;
    std::string effectText;
    auto colourOption = [&](CLI::App* command) {
        command->add_option("color", colourText, "#RRGGBB")->required();
    };
    auto* setDpi = set->add_subcommand("dpi", "Give a DPI level a step");
    setDpi->add_option("level", change.index, "1 to 8")->required()->check(CLI::Range(1, 8));
    setDpi->add_option("step", change.value, "1 to 12")->required()->check(CLI::Range(1, 12));
    auto* setLevel = set->add_subcommand("dpi-level", "Make a DPI level the current one");
    setLevel->add_option("level", change.index, "1 to 8")->required()->check(CLI::Range(1, 8));
    auto* setDpiColour = set->add_subcommand("dpi-color", "Give a DPI level a colour");
    setDpiColour->add_option("level", change.index, "1 to 8")->required()->check(CLI::Range(1, 8));
    colourOption(setDpiColour);
    auto* setRate = set->add_subcommand("rate", "Set the report rate; the mouse restarts to take a new one");
    setRate->add_option("hz", change.index, "125, 250, 500 or 1000")
        ->required()
        ->check(CLI::IsMember({125, 250, 500, 1000}));
    auto* setLighting = set->add_subcommand("lighting", "Choose the lighting effect");
    setLighting->add_option("effect", effectText, "off or 0 to 5")
        ->required()
        ->check(CLI::IsMember({"off", "Off", "OFF", "0", "1", "2", "3", "4", "5"}));
    auto* setStepTime = set->add_subcommand("step-time", "Set the breathing effect's step time");
    setStepTime->add_option("level", change.index, "1 to 10")->required()->check(CLI::Range(1, 10));
    auto* setLightColour = set->add_subcommand("light-color", "Give a lighting colour a value");
    setLightColour->add_option("n", change.index, "1 to 10")->required()->check(CLI::Range(1, 10));
    colourOption(setLightColour);

    auto* profile = app.add_subcommand("profile", "Profile files, the same bytes the window writes");
    profile->require_subcommand(1);
    std::string profilePath;
    auto* profileSave = profile->add_subcommand("save", "Save the mouse's configuration to a file");
    profileSave->add_option("file", profilePath)->required();
    auto* profileLoad = profile->add_subcommand("load", "Write a profile file to the mouse");
    profileLoad->add_option("file", profilePath)->required();

    std::string jsonPath;
    auto* exportCmd = app.add_subcommand("export", "Write the configuration as readable JSON");
    exportCmd->add_option("--json", jsonPath, "The JSON file to write")->required();
    auto* importCmd = app.add_subcommand("import", "Check a JSON file whole, then write it to the mouse");
    importCmd->add_option("--json", jsonPath, "The JSON file to read")->required();

    auto* macros = app.add_subcommand("macros", "The macros stored in the mouse");
    macros->require_subcommand(1);
    auto* macrosList = macros->add_subcommand("list", "List them");
    std::string macrosPath;
    std::string macroName;
    int macroRow = 0;
    auto* macrosAdd = macros->add_subcommand("add", "Add a macro of the window's macro library to the mouse");
    macrosAdd->add_option("library-name", macroName, "Its name in the library")->required();
    auto* macrosDelete = macros->add_subcommand("delete", "Delete a macro from the mouse");
    // Not checked by the parser: its range message would name the largest int as the upper bound.
    macrosDelete->add_option("n", macroRow, "Its number in macros list")->required();
    auto* macrosExport = macros->add_subcommand("export", "Write the device macro export file");
    macrosExport->add_option("file", macrosPath)->required();

    std::string patchPath;
    auto* defaults = app.add_subcommand(
        "defaults", "Write default settings 1 or 2 (also repairs a mouse refused for its identity bytes)");
    int defaultsNumber = 1;
    defaults->add_option("n", defaultsNumber, "1 or 2 (default 1)")->check(CLI::Range(1, 2));
    auto* patch = app.add_subcommand("patch", "Program patch code from a data file and check it reads back");
    patch->add_option("file", patchPath)->required();

    auto* backup = app.add_subcommand("backup", "The backups saved before each run's first change");
    backup->require_subcommand(1);
    auto* backupList = backup->add_subcommand("list", "List them, newest first, with what changed since");
    int backupRow = 0;
    auto* backupRestore = backup->add_subcommand("restore", "Write backup n of the list back to the mouse");
    backupRestore->add_option("n", backupRow, "Its number in backup list")
        ->required()
        ->check(CLI::PositiveNumber);

    // The parser takes "++" as the end of a subcommand's arguments and would only say that a
    // function is required; as a function it is no combination either (a key must follow "+").
    if (std::find(args.begin() + (args.empty() ? 0 : 1), args.end(), "++") != args.end()) {
        err << "tarvikctl: unknown function \"++\": a key combination names a key after every \"+\" "
               "(\"Ctrl+A\")\n";
        return kExitUsage;
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) {
        reversed.pop_back(); // the program name
    }
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }

    core::RuntimeOptions options = core::RuntimeOptions::fromEnvironment();
    if (!virtualMouse.empty()) {
        options.emulator = virtualMouse == "flash" || virtualMouse == "Flash" || virtualMouse == "FLASH"
                               ? core::StorageKind::Flash
                               : core::StorageKind::I2C;
    }
    if (!virtualMouseState.empty()) {
        options.emulatorStatePath = virtualMouseState;
    }
    Tool tool({out, err}, options, !noBackup, makeTransport);
    if (defaults->parsed()) {
        return tool.defaults(defaultsNumber);
    }
    if (list->parsed()) {
        return tool.list();
    }
    if (show->parsed()) {
        return tool.show(showJson);
    }
    if (setMode->parsed()) {
        return tool.setMode(modeText);
    }
    if (setButton->parsed()) {
        return tool.setButton(buttonMode, buttonNumber, function);
    }
    const std::pair<CLI::App*, SettingChange::Kind> settings[] = {
        {setDpi, SettingChange::Kind::DpiStep},
        {setLevel, SettingChange::Kind::CurrentDpi},
        {setDpiColour, SettingChange::Kind::DpiColour},
        {setRate, SettingChange::Kind::ReportRate},
        {setLighting, SettingChange::Kind::LightingMode},
        {setStepTime, SettingChange::Kind::StepTime},
        {setLightColour, SettingChange::Kind::LightingColour},
    };
    for (const auto& [command, kind] : settings) {
        if (!command->parsed()) {
            continue;
        }
        change.kind = kind;
        if (kind == SettingChange::Kind::DpiColour || kind == SettingChange::Kind::LightingColour) {
            const auto colour = parseColour(colourText);
            if (!colour) {
                err << "tarvikctl: \"" << colourText << "\" is no colour; give it as #RRGGBB\n";
                return kExitUsage;
            }
            change.colour = *colour;
        }
        if (kind == SettingChange::Kind::LightingMode) {
            change.index = *lightingModeNumber(effectText);
        }
        return tool.setSetting(change);
    }
    if (profileSave->parsed()) {
        return tool.profileSave(profilePath);
    }
    if (profileLoad->parsed()) {
        return tool.profileLoad(profilePath);
    }
    if (exportCmd->parsed()) {
        return tool.exportJson(jsonPath);
    }
    if (importCmd->parsed()) {
        return tool.importJson(jsonPath);
    }
    if (macrosList->parsed()) {
        return tool.macrosList();
    }
    if (macrosAdd->parsed()) {
        return tool.macrosAdd(macroName);
    }
    if (macrosDelete->parsed()) {
        return tool.macrosDelete(macroRow);
    }
    if (macrosExport->parsed()) {
        return tool.macrosExport(macrosPath);
    }
    if (patch->parsed()) {
        return tool.patch(patchPath);
    }
    if (backupList->parsed()) {
        return tool.backupList();
    }
    if (backupRestore->parsed()) {
        return tool.backupRestore(backupRow);
    }
    err << app.help();
    return kExitUsage;
}

} // namespace tarvik::cli
