#pragma once
// What a transfer does to the window: it keeps the loading window up and lets the window process its
// pending events between reports, so that it repaints and the animation runs. The GUI implements
// this over the loading window and the event loop; tests use NullLinkUi.

namespace tarvik::core {

class LinkUi {
public:
    virtual ~LinkUi() = default;
    virtual void showLoading() = 0;
    virtual void hideLoading() = 0;
    // Processes pending window events. It may run other handlers, including queued listener events;
    // those must not start a transfer of their own while DeviceLink::transferInProgress() is true.
    virtual void pumpEvents() = 0;
};

class NullLinkUi final : public LinkUi {
public:
    void showLoading() override {}
    void hideLoading() override {}
    void pumpEvents() override {}
};

} // namespace tarvik::core
