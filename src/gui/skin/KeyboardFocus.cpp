#include "gui/skin/KeyboardFocus.h"

#include "gui/skin/CaptionLabel.h"
#include "gui/skin/CellBar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QWidget>

#include <algorithm>

namespace tarvik::gui::keyboard {

namespace {

QColor g_frameColour(0, 120, 215);
constexpr const char* kKeyboardModeProperty = "tarvikKeyboardFocus";
constexpr const char* kCoverProperty = "tarvikCover";
constexpr const char* kRadioGroupProperty = "tarvikRadioGroup";

// A caption reads as a push button: its name is the accessible name the page gave it, else the
// caption it shows; pressing it does what a click does.
class CaptionAccessible : public QAccessibleWidget {
public:
    explicit CaptionAccessible(CaptionLabel* caption)
        : QAccessibleWidget(caption, caption->accessibleRole()) {}

    QAccessible::Role role() const override { return static_cast<CaptionLabel*>(widget())->accessibleRole(); }

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

// A bar of cells reads as a slider: its name says the step and what it means, its value is the step.
class CellBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit CellBarAccessible(CellBar* bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    CellBar* bar() const { return static_cast<CellBar*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return bar()->spokenName();
        if (t == QAccessible::Value)
            return bar()->current() > 0 ? bar()->valueText(bar()->current()) : QString();
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return bar()->current(); }
    void setCurrentValue(const QVariant& value) override { bar()->choose(value.toInt()); }
    QVariant maximumValue() const override { return bar()->count(); }
    QVariant minimumValue() const override { return 1; }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("tarvik::gui::CaptionLabel"))
        return new CaptionAccessible(static_cast<CaptionLabel*>(object));
    if (className == QLatin1String("tarvik::gui::CellBar"))
        return new CellBarAccessible(static_cast<CellBar*>(object));
    return nullptr;
}

class RadioGroupKeys : public QObject {
public:
    RadioGroupKeys(std::vector<CaptionLabel*> choices, QObject* parent)
        : QObject(parent), m_choices(std::move(choices)) {}

    // The one choice Tab stops at: the checked one, or the first that can be chosen when the
    // checked one is hidden or disabled (an effect the lighting kind does not offer) or none is.
    QWidget* entry() const {
        for (CaptionLabel* choice : m_choices)
            if (choice->isChecked() && choice->isVisible() && choice->isEnabled())
                return choice;
        for (CaptionLabel* choice : m_choices)
            if (choice->isVisible() && choice->isEnabled())
                return choice;
        return nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        int step = 0;
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Up)
            step = -1;
        else if (key->key() == Qt::Key_Right || key->key() == Qt::Key_Down)
            step = 1;
        else
            return false;
        const auto at = std::find(m_choices.begin(), m_choices.end(), watched);
        if (at == m_choices.end())
            return false;
        const int n = static_cast<int>(m_choices.size());
        int i = static_cast<int>(at - m_choices.begin());
        for (int tried = 1; tried < n; ++tried) {
            i = (i + step + n) % n;
            CaptionLabel* next = m_choices[i];
            if (next->isVisible() && next->isEnabled()) {
                next->setFocus(Qt::TabFocusReason);
                next->activate();
                break;
            }
        }
        return true;
    }

private:
    std::vector<CaptionLabel*> m_choices;
};

const RadioGroupKeys* radioGroupOf(const QWidget* widget) {
    return widget ? dynamic_cast<RadioGroupKeys*>(widget->property(kRadioGroupProperty).value<QObject*>())
                  : nullptr;
}

// `widget` lies under a shown cover: its middle is inside the cover and, among the children of the
// cover's parent, the branch holding `widget` is stacked below the cover.
bool underCover(const QWidget* widget, const QWidget* cover) {
    if (!cover->isVisible() || cover == widget || cover->isAncestorOf(widget) || !cover->parentWidget())
        return false;
    const QPoint middle = widget->mapToGlobal(widget->rect().center());
    if (!QRect(cover->mapToGlobal(QPoint(0, 0)), cover->size()).contains(middle))
        return false;
    const QWidget* branch = widget;
    while (branch && branch->parentWidget() != cover->parentWidget())
        branch = branch->parentWidget();
    if (!branch)
        return false;
    const QObjectList& stack = cover->parentWidget()->children();
    return stack.indexOf(branch) < stack.indexOf(cover);
}

} // namespace

bool cameFromKeyboard(Qt::FocusReason reason) {
    // Programmatic focus (a page opening) leaves the pointer user's picture as it was.
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

bool keyboardMode(const QWidget* widget) {
    return widget && widget->window()->property(kKeyboardModeProperty).toBool();
}

bool takeFocusReason(QWidget* widget, Qt::FocusReason reason) {
    if (reason != Qt::ActiveWindowFocusReason)
        widget->window()->setProperty(kKeyboardModeProperty, cameFromKeyboard(reason));
    return keyboardMode(widget);
}

bool showsKeyboardFocus(const QWidget* widget) {
    if (const auto* caption = qobject_cast<const CaptionLabel*>(widget))
        return caption->showsKeyboardFocus();
    if (const auto* bar = qobject_cast<const CellBar*>(widget))
        return bar->showsKeyboardFocus();
    return false;
}

void setFrameColour(const QColor& colour) {
    if (colour.isValid())
        g_frameColour = colour;
}

QColor frameColour() {
    return g_frameColour;
}

void paintFrame(QWidget* widget, QPainter& painter) {
    QPen pen(g_frameColour);
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    // The pen straddles the path: one pixel in from each edge keeps both pixels inside the widget.
    painter.drawRect(QRectF(widget->rect()).adjusted(1, 1, -1, -1));
}

std::vector<QWidget*> tabControls(const QWidget* container) {
    std::vector<QWidget*> controls;
    // Pop-up lists are windows of their own, with their own order.
    for (QWidget* child : container->findChildren<QWidget*>())
        if ((child->focusPolicy() & Qt::TabFocus) && child->window() == container->window())
            controls.push_back(child);
    return controls;
}

std::vector<QWidget*> inReadingOrder(const QWidget* frame, std::vector<QWidget*> widgets) {
    const auto placed = [frame](QWidget* w) {
        return QRect(frame->isAncestorOf(w) ? w->mapTo(frame, QPoint(0, 0)) : w->pos(), w->size());
    };
    std::stable_sort(widgets.begin(), widgets.end(),
                     [&](QWidget* a, QWidget* b) { return placed(a).top() < placed(b).top(); });
    std::vector<QWidget*> ordered;
    ordered.reserve(widgets.size());
    auto rowStart = widgets.begin();
    while (rowStart != widgets.end()) {
        const QRect first = placed(*rowStart);
        auto rowEnd = std::find_if(rowStart, widgets.end(),
                                   [&](QWidget* w) { return placed(w).center().y() > first.bottom(); });
        std::vector<QWidget*> row(rowStart, rowEnd);
        std::stable_sort(row.begin(), row.end(),
                         [&](QWidget* a, QWidget* b) { return placed(a).left() < placed(b).left(); });
        ordered.insert(ordered.end(), row.begin(), row.end());
        rowStart = rowEnd;
    }
    return ordered;
}

void chainInReadingOrder(const QWidget* frame, const std::vector<std::vector<QWidget*>>& groups) {
    for (const std::vector<QWidget*>& group : groups)
        for (QWidget* w : group)
            if (auto* bar = qobject_cast<CellBar*>(w))
                bar->fitToCells();
    QWidget* previous = nullptr;
    for (const std::vector<QWidget*>& group : groups)
        for (QWidget* w : inReadingOrder(frame, group)) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
}

QWidget* firstFocusable(const std::vector<QWidget*>& controls) {
    for (QWidget* w : controls)
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && isTabStop(w))
            return w;
    return nullptr;
}

bool isTabStop(const QWidget* widget) {
    if (const RadioGroupKeys* group = radioGroupOf(widget); group && group->entry() != widget)
        return false;
    return !isCovered(widget);
}

void makeRadioGroup(const std::vector<CaptionLabel*>& choices) {
    if (choices.empty())
        return;
    auto* keys = new RadioGroupKeys(choices, choices.front());
    for (CaptionLabel* choice : choices) {
        choice->setAccessibleRole(QAccessible::RadioButton);
        choice->installEventFilter(keys);
        choice->setProperty(kRadioGroupProperty, QVariant::fromValue<QObject*>(keys));
    }
}

void markCover(QWidget* cover) {
    cover->setFocusPolicy(Qt::NoFocus);
    cover->setProperty(kCoverProperty, true);
}

bool isCovered(const QWidget* widget) {
    for (const QWidget* cover : widget->window()->findChildren<QWidget*>())
        if (cover->property(kCoverProperty).toBool() && underCover(widget, cover))
            return true;
    return false;
}

QWidget* nextTabStop(QWidget* window, bool forward) {
    QWidget* from = window->focusWidget() ? window->focusWidget() : window;
    const RadioGroupKeys* fromGroup = radioGroupOf(from);
    QWidget* w = from;
    while (true) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == from)
            return nullptr;
        if (w->window() != window || !w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        // A radio group is one stop: Tab enters it at its entry choice and leaves it as a whole.
        if (fromGroup && radioGroupOf(w) == fromGroup)
            continue;
        if (isTabStop(w))
            return w;
    }
}

void installAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

} // namespace tarvik::gui::keyboard
