#include "cli/Commands.h"

#include "cli/CliSession.h"
#include "cli/FunctionNames.h"
#include "cli/ProfileJson.h"
#include "cli/WindowLock.h"
#include "core/cycle/WorkModeSwitch.h"
#include "core/image/FileLoadResult.h"
#include "core/image/PatchFile.h"
#include "core/image/ProfileFile.h"
#include "core/keys/FunctionCodeName.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/text/LanguageTables.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>

namespace tarvik::cli {

namespace {

using core::Byte;

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

class Tool {
public:
    Tool(Streams io, core::RuntimeOptions options) : m_io(io), m_options(std::move(options)) {}

    // Runs `work` with the mouse found and read whole; the exit code of the whole.
    int withMouse(const std::function<int(CliSession&)>& work) {
        if (windowHoldsMouse()) {
            m_io.err
                << "tarvikctl: the tarvik-config window is running and holds the mouse; close it first\n";
            return kExitNoMouse;
        }
        CliSession session(m_options);
        if (!session.stateProblem().empty()) {
            m_io.err << "tarvikctl: the virtual mouse starts afresh and its state is not kept: "
                     << session.stateProblem() << "\n";
        }
        switch (session.connect()) {
        case CliSession::Outcome::Ready:
            break;
        case CliSession::Outcome::NoMouse:
        case CliSession::Outcome::NotAllowed:
            m_io.err << "tarvikctl: " << session.problem() << "\n";
            return kExitNoMouse;
        case CliSession::Outcome::Failed:
            m_io.err << "tarvikctl: " << session.problem() << "\n";
            return kExitMouseFailed;
        }
        return work(session);
    }

    // After an operation: was the mouse there for all of it?
    int finished(CliSession& session, bool firstReportAccepted) {
        if (!firstReportAccepted || !session.stillThere()) {
            m_io.err << "tarvikctl: the mouse refused the change or left\n";
            return kExitMouseFailed;
        }
        return kExitOk;
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
        if (windowHoldsMouse()) {
            m_io.err
                << "tarvikctl: the tarvik-config window is running and holds the mouse; close it first\n";
            return kExitNoMouse;
        }
        CliSession session(m_options);
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
            // Failures of single-setting writes are not reported to the window either; whether the
            // mouse stayed for them is what tells.
            core::switchWorkMode(session.link(), session.buffers().workingImage, mode,
                                 session.general().buttonEffect);
            return finished(session, true);
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

    int macrosList() {
        return withMouse([&](CliSession& session) {
            const core::DeviceMacroTable& table = session.cycle().deviceMacroTable();
            const auto names = table.names();
            const core::MacroAddressTable addresses = table.addressTable();
            for (std::size_t row = 0; row < names.size(); ++row) {
                m_io.out << row + 1 << "  " << names[row] << "  at " << hex4(addresses.address(row)) << "\n";
            }
            m_io.out << names.size() << " of " << table.capacity() << " macros\n";
            return kExitOk;
        });
    }

    int macrosExport(const std::string& path) {
        return withMouse([&](CliSession& session) {
            return writeFile(path, session.cycle().deviceMacroTable().exportFile(), m_io.err) ? kExitOk
                                                                                              : kExitUsage;
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
        core::FileLoadResult why;
        const core::CycleResult result = session.cycle().loadProfile(
            file, [&session] { session.discovery().resetAndRefind(); }, &why, source);
        if (result == core::CycleResult::Refused) {
            m_io.err << "tarvikctl: " << path << ": " << core::kLoadingBinError << " (" << why.reason()
                     << ")\n";
            return kExitUsage;
        }
        if (result != core::CycleResult::Done) {
            m_io.err << "tarvikctl: the mouse cannot take this profile\n";
            return kExitMouseFailed;
        }
        return reloaded(session);
    }

    // The window's assignment of a function to a button: the code goes into the key page of the
    // mode, and the key sections are written back (with the fire key block for catalogue entries).
    int assign(CliSession& session, int mode, int button, const std::string& function) {
        const core::FunctionCodeContext context = session.namingContext();
        core::ButtonCodeTable& codes = session.cycle().buttonCodeTable();
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
        const std::string leftKey = session.text("Str210");
        auto isLeftKey = [&](int b) {
            return core::functionCodeName(codes.code(mode, b), context) == leftKey;
        };
        auto leftKeysAmong = [&](int last) {
            int n = 0;
            for (int b = 1; b <= last; ++b) {
                n += isLeftKey(b) ? 1 : 0;
            }
            return n;
        };

        if (resolved->source == ResolvedFunction::Source::Catalogue) {
            // In Office Mode a change that leaves no Left Key is taken back, and the key sections
            // are written all the same, as the window does.
            bool refused = false;
            const core::KeyFunctionCode before = codes.code(mode, button);
            codes.set(mode, button, resolved->code);
            if (mode == 1 && leftKeysAmong(12) == 0) {
                codes.set(mode, button, before);
                refused = true;
            }
            const auto result = session.cycle().commitKeyBlock(core::ConfigCycle::Variant::Complete);
            const int code = finished(session, result == core::CycleResult::Done);
            if (refused) {
                m_io.err << "tarvikctl: Office Mode keeps one button with " << leftKey << "; button "
                         << button << " was not changed\n";
                return code == kExitOk ? kExitUsage : code;
            }
            return code;
        }
        // Macros and combinations are not put on the last button that holds the Left Key.
        const int counted = resolved->source == ResolvedFunction::Source::Combination ? 9 : 12;
        if (isLeftKey(button) && leftKeysAmong(counted) == 1) {
            m_io.err << "tarvikctl: button " << button << " is the only " << leftKey << " of "
                     << kModeNames[mode - 1] << "; it was not changed\n";
            return kExitUsage;
        }
        codes.set(mode, button, resolved->code);
        const auto result = session.cycle().commitKeyBlock(core::ConfigCycle::Variant::KeysOnly);
        return finished(session, result == core::CycleResult::Done);
    }

    int program(CliSession& session, std::span<const Byte> file, const std::string& path) {
        core::ConfigBuffers& buffers = session.buffers();
        const core::FileLoadResult taken = core::readPatchFile(file, buffers);
        if (!taken) {
            m_io.err << "tarvikctl: " << path << ": " << core::kLoadingBinError << " (" << taken.reason()
                     << ")\n";
            return kExitUsage;
        }
        core::DeviceLink& link = session.link();
        bool first = false;
        std::vector<Byte> expected;
        if (buffers.storageKind == core::StorageKind::I2C) {
            core::checkEEPatchCodeSection(buffers);
            first = link.writeMemory(core::memmap::i2c::kPatchHeader.address, buffers.patchHeaderRecord);
            link.writeMemory(core::memmap::i2c::kPatchCode.address,
                             std::span(buffers.eepromPatchCode).first(256));
            link.writeMemory(static_cast<std::uint16_t>(core::memmap::i2c::kPatchCode.address + 256),
                             std::span(buffers.eepromPatchCode).subspan(256));
            expected.assign(buffers.eepromPatchCode.begin(), buffers.eepromPatchCode.end());
        } else {
            core::checkPatchCodeSection(buffers);
            if (!buffers.patchLocked) {
                first = link.writeMemory(core::memmap::flash::kPatchCode.address, buffers.flashPatchCode);
            }
            const bool sector =
                link.writeMemory(core::memmap::flash::kSector.address, buffers.assembleFlashSector());
            first = buffers.patchLocked ? sector : first;
            expected.assign(buffers.flashPatchCode.begin(), buffers.flashPatchCode.end());
        }
        link.ui().hideLoading();
        if (!first) {
            m_io.err << "tarvikctl: the mouse refused the patch\n";
            return kExitMouseFailed;
        }
        session.discovery().resetAndRefind();
        if (const int code = reloaded(session); code != kExitOk) {
            return code;
        }
        // The read after the restart shows what the mouse kept.
        const bool locked = buffers.storageKind == core::StorageKind::Flash && buffers.patchLocked;
        const std::vector<Byte> kept =
            buffers.storageKind == core::StorageKind::I2C
                ? std::vector<Byte>(buffers.eepromPatchCode.begin(), buffers.eepromPatchCode.end())
                : std::vector<Byte>(buffers.flashPatchCode.begin(), buffers.flashPatchCode.end());
        if (!locked && kept != expected) {
            m_io.err << "tarvikctl: the patch code read back from the mouse differs from the file\n";
            return kExitMouseFailed;
        }
        if (locked) {
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
                                                    : entry["function"].get<std::string>())
                    << "  [" << entry["code"].get<std::string>() << "]\n";
            }
        }
        out << "Macros in the mouse:";
        if (doc["macros"].empty()) {
            out << " none";
        }
        for (const auto& name : doc["macros"]) {
            out << " \"" << name.get<std::string>() << "\"";
        }
        out << "\n";
    }

    Streams m_io;
    core::RuntimeOptions m_options;
};

} // namespace

int runTarvikctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"tarvikctl: reads and changes the configuration of a gaming mouse built on the Tarvik "
                 "controller.\nExit codes: 0 success, 1 usage, 2 no mouse or not allowed, 3 the mouse "
                 "refused or left.",
                 "tarvikctl"};
    app.set_version_flag("--version", std::string("tarvikctl ") + TARVIK_VERSION);
    app.require_subcommand(1);

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
    auto* macrosExport = macros->add_subcommand("export", "Write the device macro export file");
    macrosExport->add_option("file", macrosPath)->required();

    std::string patchPath;
    auto* patch = app.add_subcommand("patch", "Program patch code from a data file and check it reads back");
    patch->add_option("file", patchPath)->required();

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
    Tool tool({out, err}, options);
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
    if (macrosExport->parsed()) {
        return tool.macrosExport(macrosPath);
    }
    if (patch->parsed()) {
        return tool.patch(patchPath);
    }
    err << app.help();
    return kExitUsage;
}

} // namespace tarvik::cli
