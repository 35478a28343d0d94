#pragma once
// Draws the rows of a macro event list ("LB_macro", "LB_FireMacro"): the icon of the line's kind and
// the event's caption. A row holds its MacroLine under Qt::UserRole and no text of its own.

#include <QStyledItemDelegate>

namespace tarvik::gui {

class MacroEventDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class IconStyle {
        Stretched, // a square as high as the row at its left edge; text 4 px below the top
        Unscaled,  // at (2, 2) as the picture is; text at the row's top (the fire macro list)
    };
    MacroEventDelegate(IconStyle style, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The MacroLine a row shows.
    static constexpr int kLineRole = Qt::UserRole;

private:
    IconStyle m_style;
};

} // namespace tarvik::gui
