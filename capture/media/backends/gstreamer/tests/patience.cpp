#include "patience.h"

#include <chrono>
#include <thread>

namespace livetest {

bool eventually(const std::function<bool()> &condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace livetest
