#pragma once
// "Input Delay Time" (TForm5): the new gap of a delay line of the macro being edited. The field
// takes digits only and always holds a value of core::fields::kEventDelay; the replacement itself is the
// caller's (the macro editor).

#include "gui/dialogs/SkinnedDialog.h"

#include <functional>

namespace tarvik::gui {

class InputDelayTimeDialog : public SkinnedDialog {
    Q_OBJECT
public:
    using Replace = std::function<void(const QString& typed)>;

    // `current`: the gap the line has now, shown for editing.
    InputDelayTimeDialog(const AppState& state, QWidget* main, const QString& current, Replace replace);

    void confirm();

private:
    Replace m_replace;
};

} // namespace tarvik::gui
