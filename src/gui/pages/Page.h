#pragma once
// One page of the main window ("gbPage1" .. "gbPage6"): a full-window container that owns its
// controls (created with the object names users and tests know them by) and their handlers.

#include "gui/AppState.h"

#include <QWidget>

namespace tarvik::gui {

class Page : public QWidget {
    Q_OBJECT
public:
    Page(const QString& objectName, AppState& state, QWidget* parent) : QWidget(parent), m_state(state) {
        setObjectName(objectName);
    }

    // Places, sizes, colours and enables the page's own controls from the page-layout table of the
    // current language (state().layout, section state().layoutSection()).
    virtual void applyLayout() = 0;

    // Captions of the page's own controls from the current language table.
    virtual void applyLanguage() = 0;

    // Draws the page's part of the configuration from state().buffers.workingImage.
    virtual void refreshFromImage() = 0;

protected:
    AppState& state() { return m_state; }
    const AppState& state() const { return m_state; }

private:
    AppState& m_state;
};

} // namespace tarvik::gui
