// JSON profiles are written by hand and by other tools: any text is either a profile the window
// would load itself, which exports and imports again to the same bytes, or refused with a reason at
// a line the document has.

#include "FuzzCheck.h"
#include "cli/ProfileJson.h"
#include "core/image/ProfileFile.h"
#include "core/text/LanguageTables.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

using namespace tarvik;
using fuzzcheck::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    const core::LanguageTable& language = core::LanguageTables::builtIn().table(1);

    const auto read = cli::profileFromJson(document, language);
    if (const auto* refusal = std::get_if<cli::JsonRefusal>(&read)) {
        require(!refusal->message.empty());
        const auto lines = std::count(document.begin(), document.end(), '\n') + 1;
        require(refusal->line >= 0 && refusal->line <= lines);
        return 0;
    }
    const cli::JsonProfile& profile = std::get<cli::JsonProfile>(read);
    require(profile.kind == core::StorageKind::I2C || profile.kind == core::StorageKind::Flash);

    // What the import lets through, the window's own profile loading takes too.
    const bool locked = profile.profileFile.size() == core::profileFileSize(profile.kind, true) &&
                        profile.profileFile.size() != core::profileFileSize(profile.kind, false);
    core::ConfigBuffers buffers;
    buffers.storageKind = profile.kind;
    buffers.patchLocked = locked;
    require(core::readProfileFile(profile.profileFile, buffers).ok());

    // Exported and imported again, the same bytes.
    const auto again = cli::profileFromJson(cli::profileToJson(profile.profileFile, language), language);
    const auto* back = std::get_if<cli::JsonProfile>(&again);
    require(back && back->kind == profile.kind && back->profileFile == profile.profileFile);
    return 0;
}
