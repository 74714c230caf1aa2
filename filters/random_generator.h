// The random sequence behind the random effects: a 32-bit linear
// congruential generator with one state per calling thread, starting at 1
// and never reseeded, so a fresh thread always draws 41, 18467, 6334, ...
#ifndef MARDOLIN_RANDOM_GENERATOR_H
#define MARDOLIN_RANDOM_GENERATOR_H

#include <cstdint>

namespace mardolin {

constexpr uint32_t GeneratorMultiplier = 214013u;
constexpr uint32_t GeneratorIncrement = 2531011u;

// The draw, 0..32767, that a state yields once the generator has stepped to it.
constexpr int32_t drawOfState(uint32_t state) { return static_cast<int32_t>((state >> 16) & 32767u); }

// The next draw, 0..32767. Any thread; each thread has its own sequence.
int32_t nextRandomDraw();

// A draw times this, 1 / 32767, gives 0.0..1.0 with both ends included.
constexpr double UnitPerDraw = 3.051850947599719e-05;

// The next draw scaled to 0.0..1.0. Any thread.
inline double randomUnit() { return nextRandomDraw() * UnitPerDraw; }

// For kernels that take many draws at once, several generator states apart:
// the calling thread's state (the next draw steps from it), and its
// replacement once those draws are taken. Any thread, for its own sequence.
uint32_t generatorState();
void setGeneratorState(uint32_t state);

// state * multiplier + increment moves a state `steps` draws ahead.
struct GeneratorJump {
    uint32_t multiplier;
    uint32_t increment;
};
GeneratorJump generatorJump(uint32_t steps);

} // namespace mardolin

#endif
