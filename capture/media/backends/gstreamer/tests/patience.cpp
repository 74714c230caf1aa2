#include "patience.h"

#include <chrono>
#include <thread>

namespace livetest {

bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace livetest
