#pragma once

#include <span>
// Small builders shared by the pages and the dialogs: every control is created with its object name, so
// the windows read as lists of controls and tests find them as a user sees them.

#include "gui/AppState.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"

#include <QCheckBox>
#include <QColor>
#include <QLineEdit>
#include <QPoint>
#include <QRadioButton>
#include <QString>
#include <QWidget>

#include <string>

class QButtonGroup;

namespace tarvik::gui {

// A filled rectangle in one colour ("cs_..."): the colour swatch under a "Col_F" frame.
class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    ColourSwatch(const QString& objectName, QWidget* parent);
    void setColour(const QColor& colour);
    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour = Qt::black;
};

namespace pages {

PictureControl* addPicture(QWidget* parent, const QString& name, const QString& picture = {});
CaptionLabel* addCaption(QWidget* parent, const QString& name, const QString& text = {});
// A caption that is no keyboard stop (the words beside or under a control that has its own).
CaptionLabel* addPlainCaption(QWidget* parent, const QString& name, const QString& text);
// Sets the text of a label that may be a caption as the caption's own setText() does.
void setLabelText(QLabel* label, const QString& text);
QLabel* addLabel(QWidget* parent, const QString& name, QSize size);
// A value edit: accepts only digits and the minus sign, as every number field of the pages, and
// shows its number aligned to the right.
QLineEdit* addNumberEdit(QWidget* parent, const QString& name, QSize size);
// Hidden holders of a choice or an option, as the handlers read them.
QLineEdit* addHiddenEdit(QWidget* parent, const QString& name);
QRadioButton* addHiddenRadio(QWidget* parent, const QString& name, QButtonGroup* group);
QCheckBox* addHiddenCheck(QWidget* parent, const QString& name);

// (<prefix>_X, <prefix>_Y) of the current page-layout table.
QPoint layoutPoint(const AppState& state, const std::string& prefix);

// A label over its picture: at `at`, with the picture's size grown by `grow` on each axis.
void placeOver(QWidget* label, const PictureControl* picture, QPoint at, int grow = 0);

// Text size and colour of a caption or value label.
void setTextLook(QWidget* widget, int pointSize, const QColor& colour);
// The caption's text at `pointSize`, or a point smaller at a time (down to 6) until it fits the
// caption's width less `margin` on each side: a word that does not fit its control is never cut or
// painted over its frame.
void fitTextSize(QLabel* label, int pointSize, int margin);

// The pop-up menus of the macro and fire pages: the panel's background and every entry's text.
void styleMenuPanels(std::span<QWidget* const> panels, int pointSize, const QColor& text, const QColor& back);
// Text size and the three colours of a value edit.
void setEditLook(QLineEdit* edit, int pointSize, const QColor& text, const QColor& back,
                 const QColor& border);

// The picture name of a two-state control: "<base>_E" when on, "<base>_D" when off.
QString twoState(const char* base, bool on);

} // namespace pages
} // namespace tarvik::gui
