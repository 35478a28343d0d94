#include "gui/eventlist/EventListRules.h"

namespace tarvik::gui {

EventListRules::Deleted MacroEventRules::deleteSelected() {
    const core::TextEdit result = m_editor.deleteSelected();
    return {result.changed, result.contentError};
}

EventListRules::Inserted MacroEventRules::insertOk(int item, const core::InsertValues& values) {
    const auto choice = core::insertChoiceOfItem(item, false);
    if (!choice)
        return Inserted::No;
    switch (m_editor.insertOk(*choice, values)) {
    case core::MacroEditor::OkOutcome::Inserted:
        return Inserted::Yes;
    case core::MacroEditor::OkOutcome::NeedsRow:
        return Inserted::NeedsRow;
    case core::MacroEditor::OkOutcome::NoRoom:
        return Inserted::NoRoom;
    case core::MacroEditor::OkOutcome::Closed:
        break;
    }
    return Inserted::No;
}

} // namespace tarvik::gui
