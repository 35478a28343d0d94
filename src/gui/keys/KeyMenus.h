#pragma once
// The assignment menus of the key page: panels of caption entries, three levels deep, every entry
// with the object name users and tests know it by. All panels start hidden.

#include "gui/AppState.h"

#include <QList>
#include <QString>
#include <QStringList>

class QFrame;
class QListWidget;
class QWidget;

namespace tarvik::gui {

class CaptionLabel;

class KeyMenus {
public:
    static constexpr int kEntryHeight = 24;

    explicit KeyMenus(QWidget* page);

    QFrame* panel(const QString& name) const;
    CaptionLabel* entry(const QString& name) const;
    QListWidget* macroNames() const { return m_macroNames; } // LB_Name

    // HideAllMenu (the key page's share of it).
    void hideAll();
    // Every menu of level 2 (LB_Name among them) or of level 3.
    void hideLevel(int level);
    // The menu a group entry's tag opens (1-6 level 2, 7-12 level 3); null for any other tag.
    QWidget* subMenu(int tag) const;
    // The panels of one level, LB_Name counted in level 2.
    QList<QWidget*> level(int level) const;
    // Every entry of every panel, groups and leaves.
    QList<CaptionLabel*> entries() const;
    // Group entries (those that open a menu) carry this property.
    static constexpr const char* kGroupProperty = "group";

    // The macro names in LB_Name, one entry high each.
    void setMacroNames(const QStringList& names);

    // The menus as the work mode 1..3 offers them: Fire Macro and the special functions beyond Key
    // Off only in Game Mode; the profile-switch menu as the layout enables the modes.
    void sizeForMode(int mode, bool gameModeEnabled, bool thirdModeEnabled);

    // Group G: text size and colours, panel colours and widths.
    void applyLayout(const AppState& state);
    // " " + "Str200" + " " + the entry's text.
    void applyLanguage(const AppState& state);

private:
    QWidget* m_page;
    QListWidget* m_macroNames;
};

} // namespace tarvik::gui
