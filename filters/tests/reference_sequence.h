// An independent model of the random sequence the effects draw from, as it
// runs on a fresh thread, and of what oldColorTV makes of a picture at a
// given position of it. Tests use it to tell how many draws a call took.
#ifndef MARDOLIN_REFERENCE_SEQUENCE_H
#define MARDOLIN_REFERENCE_SEQUENCE_H

#include <cstdint>
#include <vector>

namespace mardolin_test {

class ReferenceSequence {
  public:
    // The sequence after `taken` draws.
    explicit ReferenceSequence(uint64_t taken = 0);
    int32_t nextDraw();
    double nextUnit() { return nextDraw() * 3.051850947599719e-05; }

  private:
    uint32_t state_ = 1;
};

// oldColorTV's output for pixels when `taken` draws came before it.
std::vector<uint32_t> colorTVAfter(uint64_t taken, const std::vector<uint32_t> &pixels);

// Sixteen mid-grey pixels: oldColorTV turns them into 48 coin tosses, which
// tell apart neighbouring positions of the sequence.
std::vector<uint32_t> probePixels();

} // namespace mardolin_test

#endif
