#include "gui/dialogs/InputOneKeyDialog.h"

#include "core/keys/KeyPositions.h"
#include "gui/dialogs/KeyEditEvents.h"
#include "gui/skin/CaptionLabel.h"
#include "platform/KeyEventPosition.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tarvik::gui {

InputOneKeyDialog::InputOneKeyDialog(const AppState& state, QWidget* main, int stepKind, Replace replace)
    : SkinnedDialog(QStringLiteral("TForm4"), state, "L", main), m_logic(stepKind),
      m_replace(std::move(replace)) {
    placeTitle("lbl_EditKey", "Str520", "MNT_X", "MNT_Y");
    placeEdit("Edt_EditKey", "MNC_X", "MNC_Y", "MNC_W");
    edit()->installEventFilter(this);
    keepKeysFromTheEdit(edit());
    placeButtons("Str511", "Str512", "MN");
    placeKeyHint();
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
    if (watched == edit() && takesKeyEvent(event)) {
        // A modifier let go is no longer part of a Ctrl+Tab to come.
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            m_beforeModifiers.reset();
        if (event->type() != QEvent::KeyPress)
            return true;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (leftEditOnHeldTab(*key)) {
            if (m_beforeTab) {
                m_logic = m_beforeTab->first;
                edit()->setText(m_beforeTab->second);
                m_beforeTab.reset();
            }
            return true;
        }
        if (leftEditOnControlTab(*key)) {
            if (m_beforeModifiers) {
                m_logic = m_beforeModifiers->first;
                edit()->setText(m_beforeModifiers->second);
            }
            m_beforeModifiers.reset();
            m_beforeTab.reset();
            return true;
        }
        if (!key->isAutoRepeat()) {
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                m_beforeTab.emplace(m_logic, edit()->text());
            else
                m_beforeTab.reset();
            if (!isModifierPress(*key))
                m_beforeModifiers.reset();
            else if (!m_beforeModifiers)
                m_beforeModifiers.emplace(m_logic, edit()->text());
        }
        const int vk = platform::virtualKeyOfKeyEvent(*key);
        m_logic.keyPressed(vk);
        // The edit shows the layout's character beside the name when it fits; Confirm hands on the
        // key table's name.
        const QString shown = QString::fromStdString(core::keyNameWithPrinted(
            core::virtualKeyToHookKey(vk), platform::printedCharacterOfKeyEvent(*key).toStdString()));
        setEditTextFitting(edit(), shown, QString::fromStdString(m_logic.editText()));
        return true;
    }
    return SkinnedDialog::eventFilter(watched, event);
}

} // namespace tarvik::gui
