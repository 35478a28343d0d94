#include "gui/dialogs/KeyEditEvents.h"

#include <QEvent>
#include <QFontMetrics>
#include <QInputMethodQueryEvent>
#include <QLineEdit>

namespace tarvik::gui {

void keepKeysFromTheEdit(QLineEdit* edit) {
    edit->setContextMenuPolicy(Qt::PreventContextMenu);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool takesKeyEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::InputMethodQuery: {
        // An input method would swallow a dead key (the accent keys of most European layouts)
        // while it waits for the letter to put the accent on; here the accent key is a key of its
        // own. Input methods ask the focused object before they take a key; a line edit says yes
        // even when it is read-only.
        auto* query = static_cast<QInputMethodQueryEvent*>(event);
        if (!query->queries().testFlag(Qt::ImEnabled))
            return false;
        query->setValue(Qt::ImEnabled, false);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

void setEditTextFitting(QLineEdit* edit, const QString& shown, const QString& plain) {
    const QMargins margins = edit->textMargins();
    // The frame and the edit's own inner margin take a few pixels on each side.
    const int room = edit->contentsRect().width() - margins.left() - margins.right() - 8;
    edit->setText(edit->fontMetrics().horizontalAdvance(shown) <= room ? shown : plain);
}

} // namespace tarvik::gui
