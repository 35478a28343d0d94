#include "gui/dialogs/AssemblyKeyDialog.h"

#include "core/keys/KeyPositions.h"
#include "gui/AppState.h"
#include "gui/dialogs/KeyEditEvents.h"
#include "gui/skin/CaptionLabel.h"
#include "platform/KeyEventPosition.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

#include <tuple>

namespace tarvik::gui {

namespace {
using Modifier = core::AssemblyKeyLogic::Modifier;

struct Box {
    const char* objectName;
    const char* xKey;
    const char* yKey;
    Modifier modifier;
};
constexpr Box kBoxes[] = {
    {"CB_Ctrl", "MK_C_X", "MK_C_Y", Modifier::Ctrl},
    {"CB_Shift", "MK_S_X", "MK_S_Y", Modifier::Shift},
    {"CB_Alt", "MK_A_X", "MK_A_Y", Modifier::Alt},
    {"CB_Win", "MK_W_X", "MK_W_Y", Modifier::Win},
};
} // namespace

AssemblyKeyDialog::AssemblyKeyDialog(const AppState& state, QWidget* main, Handlers handlers)
    : SkinnedDialog(QStringLiteral("TForm2"), state, "K", main), m_handlers(std::move(handlers)) {
    placeTitle("lbl_Assembly", "Str500", "AKT_X", "AKT_Y");
    placeEdit("Edt_Assembly", "AKC_X", "AKC_Y", "AKC_W");
    edit()->installEventFilter(this);
    keepKeysFromTheEdit(edit());
    for (const Box& b : kBoxes) {
        auto* box = new QCheckBox(QLatin1String(core::AssemblyKeyLogic::modifierWord(b.modifier)), this);
        box->setObjectName(QLatin1String(b.objectName));
        box->setFont(fontOfSize(0));
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, textColour());
        box->setPalette(palette);
        box->adjustSize();
        box->move(state.layoutInt(b.xKey), state.layoutInt(b.yKey));
        connect(box, &QCheckBox::toggled, this,
                [this, m = b.modifier](bool checked) { boxToggled(m, checked); });
        m_boxes[static_cast<int>(b.modifier)] = box;
    }
    placeButtons("Str501", "Str502", "AK");
    placeKeyHint();
    connect(confirmButton(), &CaptionLabel::clicked, this, [this] {
        const core::AssemblyKeyLogic::Result result = m_logic.confirm();
        if (m_handlers.confirmed)
            m_handlers.confirmed(QString::fromStdString(result.caption), QString::fromStdString(result.code));
        close();
    });
    connect(clearButton(), &CaptionLabel::clicked, this, [this] {
        m_logic.clear();
        m_shownNames.clear();
        for (QCheckBox* box : m_boxes) {
            const QSignalBlocker quiet(box);
            box->setChecked(false);
        }
        showEditText();
        if (m_handlers.cleared)
            m_handlers.cleared();
        edit()->setFocus();
    });
}

void AssemblyKeyDialog::open() {
    SkinnedDialog::open();
    activateWindow();
    edit()->setFocus();
}

void AssemblyKeyDialog::boxToggled(Modifier modifier, bool checked) {
    m_logic.setModifier(modifier, checked);
    showEditText();
    edit()->setFocus();
}

void AssemblyKeyDialog::showEditText() {
    // The edit shows each key with what the user's layout prints on it, when that fits; the
    // caption handed on at Confirm keeps the key table's names.
    const QString plain = QString::fromStdString(m_logic.editText());
    QStringList parts = plain.split(QLatin1Char('+'));
    for (QString& part : parts)
        part = m_shownNames.value(part, part);
    setEditTextFitting(edit(), parts.join(QLatin1Char('+')), plain);
}

bool AssemblyKeyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit() && takesKeyEvent(event)) {
        // A modifier let go is no longer part of a Ctrl+Tab to come.
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            m_beforeModifiers.reset();
        if (event->type() != QEvent::KeyPress)
            return true;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (leftEditOnHeldTab(*key)) {
            if (m_beforeTab) {
                std::tie(m_logic, m_shownNames) = *m_beforeTab;
                m_beforeTab.reset();
                showEditText();
            }
            return true;
        }
        if (leftEditOnControlTab(*key)) {
            if (m_beforeModifiers) {
                std::tie(m_logic, m_shownNames) = *m_beforeModifiers;
                showEditText();
            }
            m_beforeModifiers.reset();
            m_beforeTab.reset();
            return true;
        }
        if (!key->isAutoRepeat()) {
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                m_beforeTab.emplace(m_logic, m_shownNames);
            else
                m_beforeTab.reset();
            if (!isModifierPress(*key))
                m_beforeModifiers.reset();
            else if (!m_beforeModifiers)
                m_beforeModifiers.emplace(m_logic, m_shownNames);
        }
        const Qt::KeyboardModifiers held = key->modifiers();
        const int vk = platform::virtualKeyOfKeyEvent(*key);
        if (m_logic.keyPressed(vk, held.testFlag(Qt::ShiftModifier), held.testFlag(Qt::AltModifier),
                               held.testFlag(Qt::ControlModifier))) {
            const core::HookKey taken = core::virtualKeyToHookKey(vk);
            m_shownNames.insert(QString::fromStdString(core::hookKeyName(taken)),
                                QString::fromStdString(core::keyNameWithPrinted(
                                    taken, platform::printedCharacterOfKeyEvent(*key).toStdString())));
        }
        showEditText();
        return true; // the edit is read-only: every key is the dialog's
    }
    return SkinnedDialog::eventFilter(watched, event);
}

} // namespace tarvik::gui
