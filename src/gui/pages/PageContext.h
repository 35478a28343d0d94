#pragma once
// What a page acts through: the shared state, the link to the mouse, the read/write cycle and the
// few things only the window around the pages can do. The main window implements the shell; tests
// hand pages a fake one.

#include "core/keys/FunctionCodeContext.h"

namespace tarvik::core {
class ConfigCycle;
class DeviceLink;
} // namespace tarvik::core

namespace tarvik::gui {

struct AppState;

class Shell {
public:
    virtual ~Shell() = default;

    // Shows the text of a language key ("Str022") in the program's message dialog.
    virtual void showMessage(const char* key) = 0;
    // HideAllMenu: closes the menus of every page.
    virtual void hideAllMenu() = 0;
    // 1..3 while the key page shows a work mode's profile; 0 while another page is shown.
    virtual int workMode() const = 0;
    // ResetAndRefind: the mouse restarts (after a report-rate change, a default reset or a loaded
    // profile) and is searched for again; the window shows its no-device state meanwhile.
    virtual void resetAndRefind() = 0;
    // The macros in the mouse changed (added, deleted, button codes re-pointed): the lists that name
    // them and the button captions are drawn again.
    virtual void deviceMacrosChanged() {}

    // After one user action whose writes did not all reach the mouse (a core operation said
    // NotStored or ReadBackDiffers): tells the user once, with the text of `key`, what was not
    // stored, and then draws the window from what the mouse holds instead of what was asked. With
    // readAgain the mouse is read whole again (when it is still there); actions that end with
    // ResetAndRefind have read it already and pass false.
    virtual void reportNotStored(const char* key, bool readAgain) {
        (void)readAgain;
        showMessage(key);
    }

    // The assignment menu's Fire Macro entry: the fire page is shown alone with preset 1 selected,
    // for the button selected on the key page.
    virtual void openFireMacroPage() {}
    // The pointer rests on an entry that opens page n (2..6), or on a button of the key page (1,
    // which opens its menus), or left it: the window may make what the click will show ahead of it.
    virtual void pointerOnPageEntry(int /*page*/) {}
    virtual void pointerOffPageEntry() {}
};

struct PageContext {
    AppState& state;
    core::DeviceLink& link;
    core::ConfigCycle& cycle;
    Shell& shell;

    // The settings naming and building key codes depend on, as they stand now: language, storage
    // kind, remembered suffixes, AIM step, fire keys and the names of the mouse's macros.
    core::FunctionCodeContext namingContext() const;
};

} // namespace tarvik::gui
