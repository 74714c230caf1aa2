#include "reference_sequence.h"

namespace mardolin_test {

ReferenceSequence::ReferenceSequence(uint64_t taken) {
    for (uint64_t i = 0; i < taken; ++i) nextDraw();
}

int32_t ReferenceSequence::nextDraw() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int32_t>((state_ >> 16) & 0x7FFFu);
}

std::vector<uint32_t> colorTVAfter(uint64_t taken, const std::vector<uint32_t> &pixels) {
    ReferenceSequence sequence(taken);
    std::vector<uint32_t> result;
    for (uint32_t pixel : pixels) {
        const uint32_t blueByte = pixel & 0xFFu;
        const int channels[3] = {int((pixel >> 16) & 0xFFu), int((pixel >> 8) & 0xFFu),
                                 blueByte == 1u ? 0 : int(blueByte)};
        uint32_t word = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            if (static_cast<int>(sequence.nextUnit() * 255.0) < channels[c]) word |= 0xFFu << (16 - 8 * c);
        result.push_back(word == 0xFF000000u ? 0xFF000001u : word);
    }
    return result;
}

std::vector<uint32_t> probePixels() { return std::vector<uint32_t>(16, 0xFF808080u); }

} // namespace mardolin_test
