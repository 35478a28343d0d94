#include "ClickAt.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace tarvik::gui::testing {

namespace {

QPoint centreInWindow(QWidget* control) {
    return control->mapTo(control->window(), control->rect().center());
}

} // namespace

QWidget* widgetAtCentreOf(QWidget* control) {
    QWidget* window = control->window();
    const QPoint pos = centreInWindow(control);
    QWidget* hit = window->childAt(pos);
    return hit ? hit : (window->rect().contains(pos) ? window : nullptr);
}

QString nameAtCentreOf(QWidget* control) {
    const QWidget* hit = widgetAtCentreOf(control);
    return hit ? hit->objectName() : QString();
}

QWidget* clickWindowAt(QWidget* window, QPoint pos, Qt::MouseButton button) {
    window = window->window();
    if (!window->isVisible()) {
        window->show();
        (void)QTest::qWaitForWindowExposed(window);
    }
    QWidget* hit = window->childAt(pos);
    // The press goes to the window's QWindow: Qt's own delivery picks the receiver (and the mouse
    // grabber for the release) the way it does for a real click.
    QTest::mouseClick(window->windowHandle(), button, {}, pos);
    return hit ? hit : window;
}

QWidget* clickAt(QWidget* control, Qt::MouseButton button) {
    return clickWindowAt(control->window(), centreInWindow(control), button);
}

void hoverAt(QWidget* control) {
    QTest::mouseMove(control->window()->windowHandle(), centreInWindow(control));
}

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

} // namespace tarvik::gui::testing
