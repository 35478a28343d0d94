#pragma once
// A page tested without the main window: the state it shares, the fake window around it, a link to a
// bus of virtual mice (none until a test adds one; the link's waits take no time), the read/write
// cycle over them, and the context the page acts through. Test fixtures derive from it.

#include "core/cycle/ConfigCycle.h"
#include "core/device/Clock.h"
#include "core/device/DeviceLink.h"
#include "core/device/LinkUi.h"
#include "emulator/EmulatorTransport.h"
#include "gui/AppState.h"
#include "gui/pages/Page.h"
#include "gui/pages/PageContext.h"
#include "support/FakeShell.h"

#include <QWidget>

namespace tarvik::gui::testing {

struct PageBench {
    AppState state;
    FakeShell shell;
    core::Clock clock{0.0};
    emulator::EmulatorTransport bus;
    core::NullLinkUi linkUi;
    core::DeviceLink link{bus, linkUi, clock};
    core::ConfigCycle cycle{link, state.buffers, shell, state.applyingImage};
    PageContext context{state, link, cycle, shell};

    // A page of type P on `parent` as the window builds one: the parent's size, the layout and the
    // language tables, then drawn from the configuration.
    template <typename P> P& makePage(QWidget& parent) {
        auto* page = new P(context, &parent);
        page->resize(parent.size());
        page->applyLayout();
        page->applyLanguage();
        drawPage(*page);
        return *page;
    }
    // As the window draws a configuration: the shared settings from the image, then the page.
    void drawPage(Page& page) {
        state.settings.takeImage(state.buffers.workingImage);
        page.refreshFromImage();
    }
};

} // namespace tarvik::gui::testing
