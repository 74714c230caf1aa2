// How long the end-to-end tests wait for the real stack.
#ifndef CAPTURE_GSTREAMER_TESTS_PATIENCE_H
#define CAPTURE_GSTREAMER_TESTS_PATIENCE_H

#include <chrono>
#include <functional>

namespace livetest {

// Waits for condition, polling, for at most thirty seconds (or patience):
// generous, as machines under load start pipelines slowly.
bool eventually(const std::function<bool()> &condition,
                std::chrono::milliseconds patience = std::chrono::seconds(30));

} // namespace livetest

#endif
