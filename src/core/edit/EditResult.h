#pragma once
// What one edit of the configuration came to, in the words both front ends need: the window draws
// it (one message when the mouse did not keep the change), tarvikctl prints it and exits 3 unless
// the change was stored. Every edit operation of core/edit returns one.

#include "core/cycle/ConfigCycle.h"

namespace tarvik::core {

enum class EditStatus {
    // Every report of the edit went through: the mouse holds the change.
    Stored,
    // Nothing was sent: the edit was refused before its first report (`refusal` says why). The mouse
    // holds what it held; the buffers may hold the change where a mouse-less window keeps editing.
    NothingSent,
    // A report was refused or the mouse left during the write: the mouse does not hold all of it.
    NotStored,
    // Every report went through, but what the mouse gives back differs from what was written.
    ReadBackDiffers,
};

// Why an edit sent nothing.
enum class EditRefusal {
    None,
    Busy,          // a configuration is being read, drawn or written (ApplyingImage)
    NoDevice,      // no mouse is linked
    WrongKind,     // the mouse is not of a kind this edit can write
    NotRead,       // the mouse's configuration was not read whole
    FileRefused,   // the file does not fit the mouse (see the operation's FileLoadResult)
    FileFailed,    // the file could not be written
    NotAllowed,    // a rule of the editor refuses the change (the operation says which)
};

struct EditResult {
    EditStatus status = EditStatus::Stored;
    EditRefusal refusal = EditRefusal::None;

    bool stored() const { return status == EditStatus::Stored; }
    // The mouse may hold part of the change: a front end tells the user and reads it again.
    bool partlyWritten() const {
        return status == EditStatus::NotStored || status == EditStatus::ReadBackDiffers;
    }

    static EditResult storedResult() { return {}; }
    static EditResult refused(EditRefusal why) { return {EditStatus::NothingSent, why}; }
    static EditResult notStored() { return {EditStatus::NotStored, EditRefusal::None}; }
    // The result of a write of the read/write cycle.
    static EditResult fromCycle(CycleResult result);

    bool operator==(const EditResult&) const = default;
};

} // namespace tarvik::core
