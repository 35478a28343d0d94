#include "gui/dialogs/InputOneKeyDialog.h"

#include "core/keys/KeyCodeMaps.h"
#include "gui/skin/CaptionLabel.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tarvik::gui {

InputOneKeyDialog::InputOneKeyDialog(const AppState& state, QWidget* main, int stepKind, Replace replace)
    : SkinnedDialog(QStringLiteral("TForm4"), state, "L", main), m_logic(stepKind),
      m_replace(std::move(replace)) {
    placeTitle("lbl_EditKey", "Str520", "MNT_X", "MNT_Y");
    placeEdit("Edt_EditKey", "MNC_X", "MNC_Y", "MNC_W");
    edit()->installEventFilter(this);
    placeButtons("Str511", "Str512", "MN");
    connect(confirmButton(), &CaptionLabel::clicked, this, [this] {
        const core::InputOneKeyLogic::Result result = m_logic.confirm();
        if (m_replace)
            m_replace(QString::fromStdString(result.keyName), QString::fromStdString(result.stepText));
        close();
    });
    connect(clearButton(), &CaptionLabel::clicked, this, [this] {
        m_logic.clear();
        edit()->setText(QString::fromStdString(m_logic.editText()));
    });
}

bool InputOneKeyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        m_logic.keyPressed(
            core::virtualKeyFromQtKey(key->key(), key->modifiers().testFlag(Qt::KeypadModifier)));
        edit()->setText(QString::fromStdString(m_logic.editText()));
        return true;
    }
    return SkinnedDialog::eventFilter(watched, event);
}

} // namespace tarvik::gui
