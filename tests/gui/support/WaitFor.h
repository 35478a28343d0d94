#pragma once
// Waiting as a user waits: the event loop runs (the virtual mouse answers, timers fire, the window
// draws) until the condition holds.

#include <functional>

namespace tarvik::gui::testing {

// True once `condition` holds; false when it still does not after timeoutMs.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 20000);

} // namespace tarvik::gui::testing
