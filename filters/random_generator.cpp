#include "random_generator.h"

namespace mardolin {

namespace {
thread_local uint32_t currentState = 1;
}

int32_t nextRandomDraw() {
    currentState = currentState * GeneratorMultiplier + GeneratorIncrement;
    return drawOfState(currentState);
}

uint32_t generatorState() { return currentState; }

void setGeneratorState(uint32_t state) { currentState = state; }

// Composes single steps: after a first jump (m, c), one more step gives
// (M m, M c + C).
GeneratorJump generatorJump(uint32_t steps) {
    GeneratorJump jump = {1u, 0u};
    for (uint32_t i = 0; i < steps; ++i)
        jump = {GeneratorMultiplier * jump.multiplier, GeneratorMultiplier * jump.increment + GeneratorIncrement};
    return jump;
}

} // namespace mardolin
