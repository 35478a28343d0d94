#include "core/edit/EditResult.h"

namespace tarvik::core {

EditResult EditResult::fromCycle(CycleResult result) {
    switch (result) {
    case CycleResult::Done:
        return storedResult();
    case CycleResult::Skipped:
        return refused(EditRefusal::Busy);
    case CycleResult::NoDevice:
        return refused(EditRefusal::NoDevice);
    case CycleResult::WrongKind:
        return refused(EditRefusal::WrongKind);
    case CycleResult::Refused:
        return refused(EditRefusal::FileRefused);
    case CycleResult::NotRead:
        return refused(EditRefusal::NotRead);
    case CycleResult::FileFailed:
        return refused(EditRefusal::FileFailed);
    case CycleResult::NotStored:
        return notStored();
    case CycleResult::ReadBackDiffers:
        return {EditStatus::ReadBackDiffers, EditRefusal::None};
    }
    return notStored();
}

} // namespace tarvik::core
