#include "gui/dialogs/KeyEditEvents.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>

namespace tarvik::gui {

void keepKeysFromTheEdit(QLineEdit* edit) {
    edit->setContextMenuPolicy(Qt::PreventContextMenu);
}

bool takesKeyEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
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
