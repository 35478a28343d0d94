#include "gui/shell/NavigationBar.h"

#include "gui/skin/CaptionLabel.h"
#include "gui/skin/PictureControl.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QWidget>

#include <array>
#include <string>

namespace tarvik::gui {

namespace {

constexpr std::array<NavigationEntry, 15> kEntries{{
    {"Main", "Str004", "Btn_B1", "SetS", 'B'},
    {"Switch", "Str005", "Btn_B2", "SetS", 'B'},
    {"Fixed", "Str006", "Btn_B3", "SetS", 'B'},
    {"Adv", "Str007", "Btn_B4", "SetS", 'B'},
    {"Breath", "Str008", "Btn_B5", "SetS", 'B'},
    {"Save", "Str009", "Btn_B6", "SetS", 'B'},
    {"Load", "Str010", "Btn_B7", "SetS", 'B'},
    {"Lang1", "Str011", "Btn_B8", "SetS", 'B'},
    {"Lang2", "Str012", "Btn_B9", "SetS", 'B'},
    {"Lang3", "Str013", "Btn_B10", "SetS", 'B'},
    {"Macro", "Str014", "Btn_B11", "SetS", 'B'},
    {"Update", "Str015", "Btn_B12", "SetS", 0}, // keeps the default text size and colour
    {"Confirm1", "Str001", "Btn_A2", "BtnS", 'A'},
    {"Reset", "Str002", "Btn_A3", "BtnS", 'A'},
    {"Exit", "", "Btn_A4", "ExitS", 0},
}};

QString name(const char* prefix, const char* entry, int copy) {
    return QStringLiteral("%1%2_%3").arg(QLatin1String(prefix), QLatin1String(entry)).arg(copy);
}

constexpr double kSmallestFontPt = 5.0;

void styleCaption(CaptionLabel* label, const AppState& state, char group) {
    const std::string g(1, group);
    QFont font = label->font();
    const int size = state.layoutInt("Size_" + g, 0);
    if (size > 0)
        font.setPointSize(size);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, state.layoutColor("Color_" + g));
    label->setPalette(palette);
}

// A caption wider than its entry shrinks its font until it shows whole; centred text that does not
// fit would lose both its ends.
void fitCaption(CaptionLabel* label) {
    QFont font = label->font();
    const int room = label->width() - 2;
    while (QFontMetrics(font).horizontalAdvance(label->text()) > room && font.pointSizeF() > kSmallestFontPt)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

} // namespace

std::span<const NavigationEntry> NavigationBar::entries() {
    return kEntries;
}

NavigationBar::NavigationBar(QWidget* page, int copy) : m_page(page), m_copy(copy) {
    auto make = [&](const char* entry, const char* pictures) {
        auto* picture = new PictureControl(name("Img_", entry, copy), page);
        picture->setPicture(QLatin1String(pictures) + QStringLiteral("_01"));
        auto* label = new CaptionLabel(name("Btn_", entry, copy), page);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(picture->geometry());
        m_pictures.insert(QLatin1String(entry), picture);
        m_labels.insert(QLatin1String(entry), label);
    };
    for (const NavigationEntry& e : kEntries)
        make(e.entry, e.pictures);
    make("Web", "WebS");
}

void NavigationBar::raise() const {
    auto raiseEntry = [&](const QString& entry) {
        picture(entry)->raise();
        label(entry)->raise();
    };
    for (const NavigationEntry& e : kEntries)
        raiseEntry(QLatin1String(e.entry));
    raiseEntry(QStringLiteral("Web"));
}

CaptionLabel* NavigationBar::label(const QString& entry) const {
    return m_labels.value(entry);
}

PictureControl* NavigationBar::picture(const QString& entry) const {
    return m_pictures.value(entry);
}

void NavigationBar::applyLayout(const AppState& state) {
    const int spaceFront = state.layoutInt("Btn_Space_F");
    const int spaceBack = state.layoutInt("Btn_Space_B");
    for (const NavigationEntry& e : kEntries) {
        PictureControl* image = picture(QLatin1String(e.entry));
        CaptionLabel* caption = label(QLatin1String(e.entry));
        const std::string key = e.layoutKey;
        const bool enabled = state.layoutEnabled(key + "_Enable");
        const QPoint at(state.layoutInt(key + "_X"), state.layoutInt(key + "_Y"));
        image->move(at);
        // Bar entries leave a margin on both sides of the caption; the others take the picture's size.
        if (std::string_view(e.layoutKey).starts_with("Btn_B"))
            caption->setGeometry(at.x() + spaceFront, at.y(), image->width() - spaceFront - spaceBack,
                                 image->height());
        else
            caption->setGeometry(QRect(at, image->size()));
        if (e.group != 0)
            styleCaption(caption, state, e.group);
        image->setVisible(enabled);
        caption->setVisible(enabled);
        image->stackUnder(caption);
    }
    PictureControl* web = picture(QStringLiteral("Web"));
    web->move(state.general.webX, state.general.webY);
    label(QStringLiteral("Web"))->setGeometry(web->geometry());
}

void NavigationBar::applyLanguage(const AppState& state) {
    const QString fontName = state.text("FontName");
    for (const NavigationEntry& e : kEntries) {
        CaptionLabel* caption = label(QLatin1String(e.entry));
        if (!fontName.isEmpty()) {
            QFont font = caption->font();
            font.setFamily(fontName);
            caption->setFont(font);
        }
        if (*e.captionKey) {
            caption->setText(state.text(e.captionKey));
            fitCaption(caption);
        } else {
            // Exit is a picture without a caption; a screen reader still needs its word.
            caption->setAccessibleName(state.text("Str003"));
        }
    }
    // The web button is a picture without a caption.
    label(QStringLiteral("Web"))->setAccessibleName(state.text("Str830"));
}

} // namespace tarvik::gui
