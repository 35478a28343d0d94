#include "gui/skin/KeyboardFocus.h"

#include "gui/skin/CaptionLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPen>
#include <QWidget>

namespace tarvik::gui::keyboard {

namespace {

QColor g_frameColour(0, 120, 215);

// A caption reads as a push button: its name is the accessible name the page gave it, else the
// caption it shows; pressing it does what a click does.
class CaptionAccessible : public QAccessibleWidget {
public:
    explicit CaptionAccessible(CaptionLabel* caption) : QAccessibleWidget(caption, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        auto* caption = static_cast<CaptionLabel*>(widget());
        if (t == QAccessible::Name) {
            if (!caption->accessibleName().isEmpty())
                return caption->accessibleName();
            return caption->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        auto* caption = static_cast<CaptionLabel*>(widget());
        if (caption->isCheckable()) {
            s.checkable = true;
            s.checked = caption->isChecked();
        }
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction())
            static_cast<CaptionLabel*>(widget())->activate();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("tarvik::gui::CaptionLabel") && object && object->isWidgetType())
        return new CaptionAccessible(static_cast<CaptionLabel*>(object));
    return nullptr;
}

} // namespace

bool cameFromKeyboard(Qt::FocusReason reason) {
    // Programmatic focus (a page opening) leaves the pointer user's picture as it was.
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

void setFrameColour(const QColor& colour) {
    if (colour.isValid())
        g_frameColour = colour;
}

QColor frameColour() { return g_frameColour; }

void paintFrame(QWidget* widget, QPainter& painter) {
    QPen pen(g_frameColour);
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The pen straddles the path: one pixel in from each edge keeps both pixels inside the widget.
    painter.drawRect(QRectF(widget->rect()).adjusted(1, 1, -1, -1));
}

void installAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

} // namespace tarvik::gui::keyboard
