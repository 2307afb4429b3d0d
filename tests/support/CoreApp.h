#pragma once

#include <functional>

// A QCoreApplication for model tests that need queued hand-backs (created once, if none exists).
void ensureCoreApplication();
// Runs the event loop until `done` is true or `msecs` passed; returns `done()`.
bool processEventsUntil(const std::function<bool()>& done, int msecs = 20000);
