#include "random_generator.h"

namespace mardolin {

namespace {
thread_local uint32_t generatorState = 1;
}

int32_t nextRandomDraw() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int32_t>((generatorState >> 16) & 32767u);
}

} // namespace mardolin
