#include "gui/tour/KeysScreenshots.h"

#include "gui/dialogs/InputOneKeyDialog.h"
#include "gui/shell/MainWindow.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/tour/ScreenshotTour.h"

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace tarvik::gui::KeysScreenshots {

namespace {

// The pointer on an entry: its highlight and whatever its hover opens.
void hover(QWidget& window, const char* name) {
    auto* entry = window.findChild<CaptionLabel*>(QLatin1String(name));
    if (!entry)
        return;
    entry->setAttribute(Qt::WA_UnderMouse, true);
    const QPointF centre = QRectF(entry->rect()).center();
    QEnterEvent enter(centre, centre, entry->mapToGlobal(centre));
    QCoreApplication::sendEvent(entry, &enter);
    entry->update();
}

void unhover(QWidget& window, const char* name) {
    if (auto* entry = window.findChild<CaptionLabel*>(QLatin1String(name))) {
        entry->setAttribute(Qt::WA_UnderMouse, false);
        entry->update();
    }
}

void press(QWidget* target, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

QWidget* visibleTopLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

QWidget* openCascade(QWidget& window) {
    hover(window, "Key_Special");
    unhover(window, "Key_Special");
    hover(window, "Key_CPIKey");
    unhover(window, "Key_CPIKey");
    hover(window, "Key_CPII");
    return nullptr;
}

QWidget* typeCombination(QWidget& window) {
    ScreenshotTour::click(window.findChild<CaptionLabel*>(QStringLiteral("Key_Assembly")));
    QWidget* dialog = visibleTopLevel(QStringLiteral("TForm2"));
    if (!dialog)
        return nullptr;
    ScreenshotTour::click(dialog->findChild<QCheckBox*>(QStringLiteral("CB_Ctrl")));
    ScreenshotTour::click(dialog->findChild<QCheckBox*>(QStringLiteral("CB_Alt")));
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("Edt_Assembly"))) {
        press(edit, Qt::Key_A);
        press(edit, Qt::Key_B);
    }
    return dialog;
}

QWidget* typeOneKey(QWidget& window) {
    auto* main = qobject_cast<MainWindow*>(&window);
    if (!main)
        return nullptr;
    // The macro editor replaces the line; here nothing is edited.
    auto* dialog = new InputOneKeyDialog(main->state(), &window, 1, {});
    dialog->open();
    press(dialog->edit(), Qt::Key_Control);
    return dialog;
}

} // namespace tarvik::gui::KeysScreenshots
