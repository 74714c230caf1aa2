// The random sequence behind the random effects: a 32-bit linear
// congruential generator with one state per calling thread, starting at 1
// and never reseeded, so a fresh thread always draws 41, 18467, 6334, ...
#ifndef MARDOLIN_RANDOM_GENERATOR_H
#define MARDOLIN_RANDOM_GENERATOR_H

#include <cstdint>

namespace mardolin {

// The next draw, 0..32767. Any thread; each thread has its own sequence.
int32_t nextRandomDraw();

// The next draw scaled to 0.0..1.0, both ends included. Any thread.
inline double randomUnit() { return nextRandomDraw() * 3.051850947599719e-05; }

} // namespace mardolin

#endif
