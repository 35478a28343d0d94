#include "gui/skin/PageControls.h"

#include <QButtonGroup>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace tarvik::gui {

ColourSwatch::ColourSwatch(const QString& objectName, QWidget* parent) : QWidget(parent) {
    setObjectName(objectName);
}

void ColourSwatch::setColour(const QColor& colour) {
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
}

namespace pages {

PictureControl* addPicture(QWidget* parent, const QString& name, const QString& picture) {
    auto* control = new PictureControl(name, parent);
    if (!picture.isEmpty())
        control->setPicture(picture);
    return control;
}

CaptionLabel* addCaption(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new CaptionLabel(name, parent);
    label->setText(text);
    return label;
}

CaptionLabel* addPlainCaption(QWidget* parent, const QString& name, const QString& text) {
    CaptionLabel* label = addCaption(parent, name, text);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

void setLabelText(QLabel* label, const QString& text) {
    if (auto* caption = qobject_cast<CaptionLabel*>(label))
        caption->setText(text);
    else
        label->setText(text);
}

QLabel* addLabel(QWidget* parent, const QString& name, QSize size) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->resize(size);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

QLineEdit* addNumberEdit(QWidget* parent, const QString& name, QSize size) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->resize(size);
    static const QRegularExpression numberChars(QStringLiteral("[-0-9]*"));
    edit->setValidator(new QRegularExpressionValidator(numberChars, edit));
    // Numbers read from the right, as in a spreadsheet.
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

QLineEdit* addHiddenEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->hide();
    return edit;
}

QRadioButton* addHiddenRadio(QWidget* parent, const QString& name, QButtonGroup* group) {
    auto* radio = new QRadioButton(parent);
    radio->setObjectName(name);
    radio->hide();
    if (group)
        group->addButton(radio);
    return radio;
}

QCheckBox* addHiddenCheck(QWidget* parent, const QString& name) {
    auto* check = new QCheckBox(parent);
    check->setObjectName(name);
    check->hide();
    return check;
}

QPoint layoutPoint(const AppState& state, const std::string& prefix) {
    return {state.layoutInt(prefix + "_X"), state.layoutInt(prefix + "_Y")};
}

void placeOver(QWidget* label, const PictureControl* picture, QPoint at, int grow) {
    label->setGeometry(at.x(), at.y(), picture->width() + grow, picture->height() + grow);
}

void setTextLook(QWidget* widget, int pointSize, const QColor& colour) {
    QFont font = widget->font();
    if (pointSize > 0)
        font.setPointSize(pointSize);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

void fitTextSize(QLabel* label, int pointSize, int margin) {
    constexpr int kSmallestPointSize = 6;
    QFont font = label->font();
    font.setPointSize(pointSize);
    const int room = label->width() - std::max(label->indent(), 0) - 2 * (label->margin() + margin);
    while (font.pointSize() > kSmallestPointSize &&
           QFontMetrics(font).horizontalAdvance(label->text()) > room)
        font.setPointSize(font.pointSize() - 1);
    label->setFont(font);
}

void styleMenuPanels(std::span<QWidget* const> panels, int pointSize, const QColor& text,
                     const QColor& back) {
    for (QWidget* panel : panels) {
        QPalette palette = panel->palette();
        palette.setColor(QPalette::Window, back);
        panel->setPalette(palette);
        for (QWidget* entry : panel->findChildren<QWidget*>())
            setTextLook(entry, pointSize, text);
    }
}

void setEditLook(QLineEdit* edit, int pointSize, const QColor& text, const QColor& back,
                 const QColor& border) {
    setTextLook(edit, pointSize, text);
    edit->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: %2; border: 1px solid %3; }")
                            .arg(text.name(), back.name(), border.name()));
}

QString twoState(const char* base, bool on) {
    return QString::fromLatin1(base) + (on ? QStringLiteral("_E") : QStringLiteral("_D"));
}

} // namespace pages
} // namespace tarvik::gui
