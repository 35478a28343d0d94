#pragma once
// A read/write cycle with nothing to show: for tests of what reaches the mouse, and for callers that
// draw nothing.

#include "core/cycle/CycleUi.h"

namespace tarvik::core {

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
