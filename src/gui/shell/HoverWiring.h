#pragma once
// The hover pictures of the shell's controls (groups A, B, D and I on every copy of the navigation
// bar, C on the key page's buttons) and the caption rolling that goes with them.

#include <QObject>
#include <QString>

#include <functional>

namespace tarvik::gui {

class CaptionLabel;
class CaptionRoller;
class KeysPage;
class NavigationBar;

class HoverWiring {
public:
    // What the pictures depend on: the window's entry pictures on all bar copies, the entry lit for
    // the current page state, and the current language (1..3).
    struct Window {
        std::function<void(const QString& entry, const QString& picture)> setEntryPictures;
        std::function<QString()> litEntry;
        std::function<int()> languageIndex;
    };

    // The connections live as long as `owner`.
    HoverWiring(QObject& owner, CaptionRoller& roller, Window window);

    void connectBar(const NavigationBar& bar);
    void connectKeys(const KeysPage& page);
    // E: a page button that swaps its own picture; the caption rolls with it.
    void connectRolling(CaptionLabel* label);

private:
    // The hover and leave handlers of a label, rolling its caption where `rolls`.
    void connectHover(CaptionLabel* label, std::function<void()> onEnter, std::function<void()> onLeave,
                      bool rolls);

    QObject& m_owner;
    CaptionRoller& m_roller;
    Window m_window;
};

} // namespace tarvik::gui
