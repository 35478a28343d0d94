#include "gui/shell/HoverWiring.h"

#include "gui/keys/KeysPage.h"
#include "gui/shell/NavigationBar.h"
#include "gui/skin/CaptionLabel.h"
#include "gui/skin/CaptionRoller.h"
#include "gui/skin/PictureControl.h"

namespace tarvik::gui {

HoverWiring::HoverWiring(QObject& owner, CaptionRoller& roller, Window window)
    : m_owner(owner), m_roller(roller), m_window(std::move(window)) {}

void HoverWiring::connectHover(CaptionLabel* label, std::function<void()> onEnter,
                               std::function<void()> onLeave, bool rolls) {
    CaptionRoller* roller = &m_roller;
    QObject::connect(label, &CaptionLabel::entered, &m_owner, [roller, label, onEnter, rolls] {
        onEnter();
        if (rolls)
            roller->enter(label);
    });
    QObject::connect(label, &CaptionLabel::left, &m_owner, [roller, onLeave, rolls] {
        onLeave();
        if (rolls)
            roller->leave();
    });
}

void HoverWiring::connectBar(const NavigationBar& bar) {
    const Window& window = m_window;
    auto allCopies = [&window](const QString& entry, const QString& picture) {
        return [set = window.setEntryPictures, entry, picture] { set(entry, picture); };
    };
    // A: the reset buttons, all five copies at once.
    for (const char* entry : {"Confirm1", "Reset"})
        connectHover(bar.label(QLatin1String(entry)),
                     allCopies(QLatin1String(entry), QStringLiteral("BtnS_02")),
                     allCopies(QLatin1String(entry), QStringLiteral("BtnS_01")), true);
    // I: the exit buttons.
    connectHover(bar.label(QStringLiteral("Exit")),
                 allCopies(QStringLiteral("Exit"), QStringLiteral("ExitS_02")),
                 allCopies(QStringLiteral("Exit"), QStringLiteral("ExitS_01")), true);
    // The web button.
    connectHover(bar.label(QStringLiteral("Web")),
                 allCopies(QStringLiteral("Web"), QStringLiteral("WebS_03")),
                 allCopies(QStringLiteral("Web"), QStringLiteral("WebS_01")), false);
    // B: this copy only; leaving puts the current page's entry back.
    for (const char* entry : NavigationBar::kSetEntries) {
        PictureControl* picture = bar.picture(QLatin1String(entry));
        connectHover(
            bar.label(QLatin1String(entry)), [picture] { picture->setPicture(QStringLiteral("SetS_02")); },
            [window, picture] {
                picture->setPicture(QStringLiteral("SetS_01"));
                window.setEntryPictures(window.litEntry(), QStringLiteral("SetS_03"));
            },
            true);
    }
    // D: the language buttons; leaving puts the current language's entry back.
    for (const char* entry : {"Lang1", "Lang2", "Lang3"}) {
        PictureControl* picture = bar.picture(QLatin1String(entry));
        connectHover(
            bar.label(QLatin1String(entry)), [picture] { picture->setPicture(QStringLiteral("SetS_02")); },
            [window, picture] {
                picture->setPicture(QStringLiteral("SetS_01"));
                window.setEntryPictures(QStringLiteral("Lang%1").arg(window.languageIndex()),
                                        QStringLiteral("SetS_03"));
            },
            true);
    }
}

void HoverWiring::connectRolling(CaptionLabel* label) {
    connectHover(
        label, [] {}, [] {}, true);
}

void HoverWiring::connectKeys(const KeysPage& page) {
    // C: the twelve buttons of the key page.
    for (int k = 1; k <= KeysPage::kButtons; ++k) {
        PictureControl* picture = page.keyPicture(k);
        connectHover(
            page.key(k), [picture] { picture->setPicture(QStringLiteral("KeyS_02")); },
            [picture] { picture->setPicture(QStringLiteral("KeyS_01")); }, true);
    }
    // A click opens the button's menu: the button looks unhovered and its caption stands still.
    CaptionRoller* roller = &m_roller;
    QObject::connect(&page, &KeysPage::keyClicked, &m_owner, [roller, &page](int button) {
        roller->leave();
        page.keyPicture(button)->setPicture(QStringLiteral("KeyS_01"));
    });
}

} // namespace tarvik::gui
