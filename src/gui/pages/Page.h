#pragma once
// One page of the main window ("gbPage1" .. "gbPage6"): a full-window container that owns its
// controls (created with the object names users and tests know them by) and their handlers, and
// acts through its PageContext.

#include "gui/AppState.h"
#include "gui/pages/PageContext.h"

#include <QWidget>

namespace tarvik::gui {

class PictureControl;

class Page : public QWidget {
    Q_OBJECT
public:
    Page(const QString& objectName, const PageContext& context, QWidget* parent)
        : QWidget(parent), m_context(context) {
        setObjectName(objectName);
    }

    // Places, sizes, colours and enables the page's own controls from the page-layout table of the
    // current language (state().layout, section state().layoutSection()).
    virtual void applyLayout() = 0;

    // Captions of the page's own controls from the current language table; a choice made in a
    // control whose items are re-captioned stays.
    virtual void applyLanguage() = 0;

    // Draws the page's part of the configuration from state().buffers.workingImage and the shared
    // settings, which the window has already taken from it.
    virtual void refreshFromImage() = 0;

    // --- What the shell tells every page; each does nothing unless the page has a share in it.
    // HideAllMenu: the page's pop-up menus close.
    virtual void hideMenus() {}
    // The page was opened through its navigation entry.
    virtual void opened() {}
    // The key page shows work mode `mode`'s profile: displays that follow the profile redraw.
    virtual void profileShown(int /*mode*/) {}
    // The user chose another language; applyLayout and applyLanguage follow.
    virtual void languageSwitching() {}
    // The page is shown over the key page for `button` of Game Mode (the assignment menu's Fire
    // Macro entry); when it is done it emits closed().
    virtual void openedForButton(int /*button*/) {}
    // The codes of work mode `mode`'s buttons, or the names they are shown by, changed (macros
    // added or deleted, the fire page closed, the mouse lost): captions naming them are drawn again.
    virtual void buttonCodesChanged(int /*mode*/) {}

    // --- What the read/write cycle tells every page.
    // The PC macro library in state().macroLibrary was loaded or replaced.
    virtual void macroLibraryChanged() {}
    // The mouse's macro table (context().cycle.deviceMacroTable()) was read or written; cleared:
    // the mouse is gone and no macro of it is named.
    virtual void deviceMacroTableChanged() {}
    virtual void deviceMacroTableCleared() {}
    // The same for the mouse's fire macros.
    virtual void fireMacroTableChanged() {}
    virtual void fireMacroTableCleared() {}
    // The mouse reported another current DPI step; state().settings.dpi holds it.
    virtual void currentDpiChanged() {}
    // The desktop's pointer settings may have changed: a page that shows them reads them again.
    virtual void pointerSettingsChanged() {}

    // Img_P<n>: the page's background picture, which the window loads only while the page is shown.
    PictureControl* pagePicture() const { return m_pagePicture; }

signals:
    // A page shown over another one (see openedForButton) is done: the key page is shown again.
    void closed();

protected:
    const PageContext& context() const { return m_context; }
    AppState& state() const { return m_context.state; }
    Shell& shell() const { return m_context.shell; }
    void setPagePicture(PictureControl* picture) { m_pagePicture = picture; }

private:
    PageContext m_context;
    PictureControl* m_pagePicture = nullptr;
};

} // namespace tarvik::gui
