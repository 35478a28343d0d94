#pragma once
// The window around a page under test, as far as the page can tell: a work mode shown, nothing drawn
// beyond the page, and what the page asks of the window counted for the test to read.

#include "core/cycle/CycleUi.h"
#include "gui/pages/PageContext.h"

#include <QString>
#include <QStringList>

namespace tarvik::gui::testing {

class FakeShell final : public Shell, public core::NullCycleUi {
public:
    void showMessage(const char* key) override { messages << QString::fromLatin1(key); }
    void hideAllMenu() override { ++menuCloses; }
    int workMode() const override { return mode; }
    void resetAndRefind() override { ++resets; }
    void reportNotStored(const char* key, bool readAgain) override {
        readsAsked += readAgain ? 1 : 0;
        Shell::reportNotStored(key, readAgain);
    }

    void beginBusy() override { ++busy; }

    int mode = 1;         // the work mode the window shows
    QStringList messages; // the language keys of the messages shown, in order
    int menuCloses = 0;
    int resets = 0;     // ResetAndRefind asked for
    int busy = 0;       // transfers begun
    int readsAsked = 0; // reports of writes not stored that ask for the mouse to be read again
};

} // namespace tarvik::gui::testing
