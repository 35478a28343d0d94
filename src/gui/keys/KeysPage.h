#pragma once
// The key page (gbPage1): the twelve button captions Key1..Key12 over their pictures, the Disable
// cover over the button area, and the assignment menus.

#include "gui/keys/KeyMenus.h"
#include "gui/pages/Page.h"

#include <QStringList>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tarvik::gui {

class CaptionLabel;
class PictureControl;

class KeysPage : public Page {
    Q_OBJECT
public:
    static constexpr int kButtons = 12;

    KeysPage(const PageContext& context, QWidget* parent);

    void applyLayout() override;   // groups C and G
    void applyLanguage() override; // menus, and the button captions carried into the new language
    void refreshFromImage() override;

    // RefreshProfile1Keys .. RefreshProfile3Keys: the names of work mode `mode`'s codes.
    void refreshProfileKeys(int mode);
    // HideAllMenu / ClearAP.
    void hideAllMenu();
    void hideMenus() override { hideAllMenu(); }

    // The cover over the button area (Third Mode, no device).
    void setDisableShown(bool shown);
    bool disableShown() const;

    // The assignment menus, built at the first call: the first frame has no use for them.
    KeyMenus& menus();
    bool menusBuilt() const { return m_menus != nullptr; }
    // KeyMenus::sizeForMode, kept for the menus until they are built.
    void sizeMenusForMode(int mode, bool gameModeEnabled, bool thirdModeEnabled);
    // The names of the mouse's macros in LB_Name, kept for the menus until they are built.
    void setMacroNames(const QStringList& names);
    void buttonCodesChanged(int mode) override { refreshProfileKeys(mode); }
    void deviceMacroTableChanged() override;
    void deviceMacroTableCleared() override { setMacroNames({}); }
    CaptionLabel* key(int button) const { return m_keys[button - 1]; }
    PictureControl* keyPicture(int button) const { return m_keyPictures[button - 1]; }

    // --- Assigning functions to buttons in the work mode shown.
    // ShowPnlMain_OnClick: the button becomes SelectedButton and Pnl_Main opens beside it.
    void showMainMenu(int button);
    int selectedButton() const { return state().selectedButton; }
    // KeyStatusOnClick: the catalogue entry's function for the selected button; in Office Mode the
    // last left key stays, and then nothing is written.
    void assignEntry(CaptionLabel* entry);
    // LB_NameClick: the device macro of that row of LB_Name; never takes the last left key.
    void assignMacro(int row);
    // Key_AssemblyClick: opens the Assembly Key dialog unless the button holds the only left key of
    // buttons 1-9.
    void openAssemblyKey();
    // The Assembly Key dialog's confirmation: the combination goes to the button selected now.
    void applyCombination(const QString& caption, const QString& code);
    // Key_FireMacroClick: the fire page alone, after the UserSection was read again.
    void openFireMacro();

    // Button n of the layout table places this label: the table follows the mouse's physical
    // order, the labels the order of the codes.
    static int labelOfLayoutButton(int layoutButton);

signals:
    // A button label was clicked; its menu opens right after.
    void keyClicked(int button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wireMenus();
    // The cascade from the keyboard: Up/Down within a menu, Right or Enter into a group's menu,
    // Left or Escape back one level.
    bool menuKey(CaptionLabel* entry, int pressed);
    void focusEntry(QWidget* panel, CaptionLabel* from, int step);
    // KeyByTagMouseEnter: the group entry's menu opens beside it.
    void openSubMenu(CaptionLabel* entry);
    // The work mode whose codes the buttons show: the one shown, or the mouse's when another page is.
    int currentMode() const;
    // Button `button`'s caption from its code in work mode `mode`.
    void showKey(int mode, int button);

    PictureControl* m_picture;
    std::array<PictureControl*, kButtons> m_keyPictures{};
    std::array<CaptionLabel*, kButtons> m_keys{};
    CaptionLabel* m_disable;
    std::unique_ptr<KeyMenus> m_menus;
    struct MenuSizing {
        int mode = 0; // 0: never sized
        bool gameModeEnabled = false;
        bool thirdModeEnabled = false;
    } m_menuSizing;
    QStringList m_macroNames;
};

} // namespace tarvik::gui
