#include "gui/eventlist/MacroEventDelegate.h"

#include "core/macros/EventCaption.h"
#include "gui/skin/Skin.h"

#include <QPainter>

namespace tarvik::gui {

MacroEventDelegate::MacroEventDelegate(IconStyle style, QObject* parent)
    : QStyledItemDelegate(parent), m_style(style) {}

void MacroEventDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QString line = index.data(kLineRole).toString();
    const core::EventCaption caption = core::eventCaption(line.toStdString());
    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;

    painter->save();
    painter->fillRect(row, selected ? option.palette.highlight() : option.palette.base());
    const QPixmap icon =
        Skin::keyedByCorner(Skin::picture(QStringLiteral("MacroIcon%1").arg(caption.iconIndex)));
    if (!icon.isNull()) {
        if (m_style == IconStyle::Stretched)
            painter->drawPixmap(QRect(row.left(), row.top(), row.height(), row.height()), icon);
        else
            painter->drawPixmap(row.left() + 2, row.top() + 2, icon);
    }
    painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
    const int top = m_style == IconStyle::Stretched ? 4 : 0;
    painter->drawText(row.adjusted(35, top, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      QString::fromStdString(caption.text));
    painter->restore();
}

} // namespace tarvik::gui
