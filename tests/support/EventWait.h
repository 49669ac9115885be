#pragma once
// A real wait for work that reports through the event queue: downloads on their own threads,
// the WebEngine browser.

#include <chrono>
#include <functional>

namespace vexilo::test {

// Runs the application's events until done holds or limit passes; returns done().
bool ProcessEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds limit = std::chrono::seconds(30));

}  // namespace vexilo::test
