#pragma once
// What the read/write cycle asks of the window. The main window implements it; every call comes on
// the user-interface thread. The cycle decides when; how each step looks is the window's business.

namespace tarvik::core {

class CycleUi {
public:
    virtual ~CycleUi() = default;

    // The busy state around long transfers. Begin: disable the DevTimer, ShowCovers, disable the
    // five exit labels, show the loading window, process events. End: hide the loading window,
    // process events, enable the DevTimer, HideCovers, enable the exit labels. ApplyingImage is
    // set and cleared by the cycle itself, not here.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // The single steps that do not bracket a whole operation.
    virtual void showLoading() = 0;
    virtual void hideLoading() = 0;
    virtual void setDevTimerEnabled(bool enabled) = 0;
    virtual void processEvents() = 0;
    // HideAllMenu.
    virtual void closeKeyMenus() = 0;

    // Re-lists the PC macro library names (done at the start of every full read).
    virtual void refreshPcMacroNames() = 0;

    // The device macro lists (LB_MacroName, LB_Name) from ConfigCycle::deviceMacroTable(), which is
    // already loaded when this is called.
    virtual void redrawDeviceMacros() = 0;
    // The fire macro name list from the editing copy ConfigBuffers::fireMacros, already split.
    virtual void redrawFireMacros() = 0;
    // Before the default images replace the macros: empty the device macro name list, the event
    // list and the two macro editor texts...
    virtual void clearDeviceMacroViews() = 0;
    // ... and the fire macro name list and its editor texts.
    virtual void clearFireMacroViews() = 0;

    // RefreshUI: draw every page from the WorkingImage, in the drawing order (DPI rows and levels,
    // report rate, lighting, colours, current DPI, fire keys, fire and AIM displays, work mode and
    // its key page, and last the code suffixes from ConfigCycle::codeSuffixes). ApplyingImage is
    // set while this runs, so page handlers fired by the drawing send nothing.
    virtual void refreshUi() = 0;

    // Reads the operating system's pointer speed, acceleration, double-click time and wheel lines
    // again and shows them.
    virtual void readOsMouseParameters() = 0;
};

// A cycle without a window to show anything in (tests, tools).
class NullCycleUi : public CycleUi {
public:
    void beginBusy() override {}
    void endBusy() override {}
    void showLoading() override {}
    void hideLoading() override {}
    void setDevTimerEnabled(bool) override {}
    void processEvents() override {}
    void closeKeyMenus() override {}
    void refreshPcMacroNames() override {}
    void redrawDeviceMacros() override {}
    void redrawFireMacros() override {}
    void clearDeviceMacroViews() override {}
    void clearFireMacroViews() override {}
    void refreshUi() override {}
    void readOsMouseParameters() override {}
};

} // namespace tarvik::core
