#pragma once
// The edits that rewrite the mouse's stored regions: the macros in the mouse (with the buttons that
// play them), the fire page's Confirm, a profile (a file, a backup or one built from a JSON
// document), patch code and the default settings. The window and tarvikctl both call these and
// only draw or print what they return.

#include "core/cycle/ConfigCycle.h"
#include "core/edit/EditResult.h"
#include "core/image/FileLoadResult.h"
#include "core/image/ProfileFile.h"
#include "core/keys/FunctionCodeContext.h"
#include "core/macros/DeviceMacroTable.h"
#include "core/macros/MacroCodeRepoint.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>

namespace tarvik::core {

// A macro edit, and when the macro table refused it (EditRefusal::NotAllowed) its reason: TableFull,
// TooLong (no room), Unreadable (a name the mouse's store cannot keep) or NoSuchRow.
struct MacroEdit {
    EditResult result;
    DeviceMacroTable::Result table = DeviceMacroTable::Result::Done;
};

// Add to Mouse: the macro goes after the mouse's macros and the whole table is written, with the
// buttons playing a macro whose address moved following it. Nothing changes while a configuration
// is being applied (Busy). Without a mouse read whole the table and the buffers still take the
// macro (a mouse-less window keeps editing what a profile file will carry), but nothing is sent.
MacroEdit addDeviceMacro(ConfigCycle& cycle, const FunctionCodeContext& naming, const MacroNameField& name,
                         std::span<const Byte, kMacroBodySize> body);

// Delete of the macro page, for a row of the table (0 on). The buttons take their new codes first
// (those playing the deleted macro fall back, those playing a moved one follow it) with a keys-only
// commit; only when the mouse took those are the macros moved under them, so that no button of the
// mouse ever plays another macro than the one it named.
MacroEdit deleteDeviceMacro(ConfigCycle& cycle, const FunctionCodeContext& naming, std::size_t row);

// Confirm of the fire page, once its fire macros are in ConfigBuffers::fireMacros: the chosen
// weapon preset's code onto its button (when given), the fire macros joined into their store, the
// ten lighting colours and everything the page edits written.
EditResult confirmFirePage(ConfigCycle& cycle, ConfigBuffers& buffers, std::span<const Rgb, 10> colours,
                           const std::optional<ButtonCodeChange>& presetButton = std::nullopt);

// A profile file, a backup or a profile built from a JSON document written whole; the mouse then
// restarts (resetAndRefind) and is read again. A file that does not fit this mouse sends nothing
// (EditRefusal::FileRefused, and `file` says why).
struct FileEdit {
    EditResult result;
    FileLoadResult file;
};
FileEdit loadProfile(ConfigCycle& cycle, std::span<const Byte> file, ProfileSource source,
                     const std::function<void()>& resetAndRefind);

// Program of the update page: the patch data file to the mouse, read back, then the restart. A
// read-back whose reports went unanswered proves nothing either way: the read after the restart
// decides then (ReadBackDiffers only when the mouse really holds other bytes).
FileEdit programPatch(ConfigCycle& cycle, std::span<const Byte> file,
                      const std::function<void()>& resetAndRefind);

// Default settings n (1 or 2), then the restart.
EditResult defaultSettings(ConfigCycle& cycle, int n, const std::function<void()>& resetAndRefind);

// The repair of a mouse refused for its identity bytes with default settings n (see
// ConfigCycle::repairWithDefaults); NotRead when it could not be read whole first.
EditResult repairWithDefaults(ConfigCycle& cycle, StorageKind kind, int n,
                              const std::function<void()>& resetAndRefind);

} // namespace tarvik::core
