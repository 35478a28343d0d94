#pragma once
// The key page (gbPage1): the twelve button captions Key1..Key12 over their pictures, the Disable
// cover over the button area, and the assignment menus.

#include "gui/keys/KeyMenus.h"
#include "gui/pages/Page.h"

#include <QStringList>

#include <array>
#include <memory>

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
    CaptionLabel* key(int button) const { return m_keys[button - 1]; }
    PictureControl* keyPicture(int button) const { return m_keyPictures[button - 1]; }

    // Button n of the layout table places this label: the table follows the mouse's physical
    // order, the labels the order of the codes.
    static int labelOfLayoutButton(int layoutButton);

signals:
    void keyClicked(int button);

private:
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
