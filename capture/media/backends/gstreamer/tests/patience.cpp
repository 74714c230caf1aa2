#include "patience.h"

#include "pelquist_driver.h"

namespace livetest {

bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds patience) {
    return host::PelquistDriver::pollUntil(condition, patience);
}

} // namespace livetest
