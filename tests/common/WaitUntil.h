#pragma once
// Runs the current thread's Qt event loop until a condition holds, for tests of event-driven code.

#include <functional>

namespace orvtest {

/// Processes events until condition() is true or timeoutMs has passed; the last value of condition().
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

/// Processes events for durationMs.
void processEventsFor(int durationMs);

} // namespace orvtest
