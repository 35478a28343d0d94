#pragma once
// One page's copy of the navigation bar (pages 1 to 5): the page and work-mode entries, Save/Load
// Profile, the language buttons, the two Default Setting buttons, the exit button and the web button.
// Each entry is a picture "Img_<entry>_<copy>" under a transparent caption label "Btn_<entry>_<copy>".

#include "gui/AppState.h"

#include <QHash>
#include <QPointer>
#include <QString>

#include <span>

class QWidget;

namespace tarvik::gui {

class CaptionLabel;
class PictureControl;

struct NavigationEntry {
    const char* entry;      // "Main" -> Btn_Main_k / Img_Main_k
    const char* captionKey; // language key of the caption, "" for none
    const char* layoutKey;  // "Btn_B1": <key>_Enable, <key>_X, <key>_Y
    const char* pictures;   // picture stem: "SetS" -> "SetS_01" / "_02" / "_03"
    char group;             // layout group of its text size and colour: 'A', 'B', or 0 for none
};

class NavigationBar {
public:
    static constexpr int kCopies = 5;
    // The entries lit as the current page or work mode (SetS pictures), with the profile buttons.
    static constexpr const char* kSetEntries[] = {"Main",  "Switch", "Fixed", "Adv", "Breath",
                                                  "Macro", "Update", "Save",  "Load"};

    // Every entry placed by the page-layout table, in bar order (the web button is not among them:
    // the general table places it).
    static std::span<const NavigationEntry> entries();

    // Creates the controls of copy `copy` (1..5) on `page`.
    NavigationBar(QWidget* page, int copy);

    int copy() const { return m_copy; }
    CaptionLabel* label(const QString& entry) const;
    PictureControl* picture(const QString& entry) const;

    // Groups A and B of the page-layout table and the web button of the general table.
    void applyLayout(const AppState& state);
    // Captions and the language's font.
    void applyLanguage(const AppState& state);
    // Every entry above the page's other controls (the cover included): the bar stays reachable
    // while the page's working area is covered.
    void raise() const;

private:
    QWidget* m_page;
    int m_copy;
    // The entries' controls by entry name: looked up often (layout, language, focus order, raising),
    // among the hundred and more controls of a page.
    QHash<QString, QPointer<CaptionLabel>> m_labels;
    QHash<QString, QPointer<PictureControl>> m_pictures;
};

} // namespace tarvik::gui
