// Captions draw their text themselves: the pixels and sizes must be those of a label that draws
// through its text document, as every caption did before.

#include "gui/skin/CaptionLabel.h"

#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

using tarvik::gui::CaptionLabel;

namespace {

struct Look {
    QString family;
    qreal pointSize;
    Qt::Alignment alignment;
    QSize size;
    int indent;
    bool enabled;
};

// Colours that differ in every group and role a label could draw its text in.
QPalette markedPalette() {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(250, 200, 10));
    palette.setColor(QPalette::Inactive, QPalette::WindowText, QColor(240, 180, 20));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 140));
    palette.setColor(QPalette::Active, QPalette::Text, QColor(10, 220, 250));
    palette.setColor(QPalette::Inactive, QPalette::Text, QColor(20, 200, 240));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(90, 160, 90));
    return palette;
}

// Both labels set up alike: the caption, and a plain QLabel that Tab reaches (which draws through a
// document).
void setUp(QLabel& label, const Look& look, const QString& text) {
    QFont font(look.family);
    font.setPointSizeF(look.pointSize);
    label.setFont(font);
    label.setPalette(markedPalette());
    label.setAlignment(look.alignment);
    label.setIndent(look.indent);
    label.resize(look.size);
    label.setEnabled(look.enabled);
}

QImage pixels(QLabel& label) {
    return label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(CaptionText, DrawsAndMeasuresOneLineAsALabelWithADocumentDoes) {
    const QStringList texts = {
        QStringLiteral("Confirm"),     QStringLiteral("DPI 1"),        QStringLiteral("W"),
        QStringLiteral("a b "),        QStringLiteral("Ünïcödé & co"), QStringLiteral("左键 设置"),
        QStringLiteral("Lighting Off")};
    const QList<Qt::Alignment> alignments = {
        Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignRight | Qt::AlignVCenter,
        Qt::AlignHCenter | Qt::AlignBottom, Qt::AlignLeft | Qt::AlignTop};
    // A usual button, one too small for its text (clipped), a tall one.
    const QList<QSize> sizes = {QSize(92, 27), QSize(21, 11), QSize(61, 40)};
    int compared = 0;
    for (const QString family : {QStringLiteral("MS Sans Serif"), QStringLiteral("微软雅黑")})
        for (const qreal pointSize : {9.0, 10.5, 12.0})
            for (const Qt::Alignment alignment : alignments)
                for (const QSize size : sizes)
                    for (const int indent : {-1, 6})
                        for (const bool enabled : {true, false}) {
                            const Look look{family, pointSize, alignment, size, indent, enabled};
                            for (const QString& text : texts) {
                                QWidget parent;
                                CaptionLabel caption(QStringLiteral("Btn_Test"), &parent);
                                QLabel reference(&parent);
                                reference.setAttribute(Qt::WA_TranslucentBackground);
                                reference.setFocusPolicy(Qt::TabFocus);
                                setUp(caption, look, text);
                                setUp(reference, look, text);
                                caption.setText(text);
                                reference.setText(text);
                                ASSERT_FALSE(caption.drawsThroughDocument());
                                const QString where =
                                    QStringLiteral("'%1' %2 %3pt align %4 size %5x%6 indent %7 %8")
                                        .arg(text, family)
                                        .arg(pointSize)
                                        .arg(int(alignment), 0, 16)
                                        .arg(size.width())
                                        .arg(size.height())
                                        .arg(indent)
                                        .arg(enabled ? "enabled" : "disabled");
                                const QImage captionPixels = pixels(caption);
                                ASSERT_FALSE(caption.drawsThroughDocument()) << "after grab";
                                ASSERT_EQ(captionPixels, pixels(reference)) << where.toStdString();
                                ASSERT_EQ(caption.sizeHint(), reference.sizeHint()) << where.toStdString();
                                ASSERT_EQ(caption.minimumSizeHint(), reference.minimumSizeHint())
                                    << where.toStdString();
                                ASSERT_FALSE(caption.drawsThroughDocument());
                                ++compared;
                            }
                        }
    EXPECT_GT(compared, 0);
}
