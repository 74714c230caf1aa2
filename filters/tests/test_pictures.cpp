#include "test_pictures.h"

namespace mardolin_test {

namespace {

uint32_t nextXorshift(uint32_t &state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint32_t movedChannel(uint32_t word, int shift, int step) {
    const int channel = int((word >> shift) & 0xFFu) + step;
    const uint32_t kept = word & ~(0xFFu << shift);
    return kept | uint32_t(channel < 0 ? 0 : channel > 255 ? 255 : channel) << shift;
}

} // namespace

std::vector<uint32_t> seededPicture(size_t count, uint32_t seed) {
    std::vector<uint32_t> pixels(count);
    for (uint32_t &pixel : pixels) pixel = nextXorshift(seed);
    return pixels;
}

std::vector<uint32_t> awkwardPicture(size_t count, uint32_t seed) {
    std::vector<uint32_t> pixels = seededPicture(count, seed);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t choice = nextXorshift(seed);
        const uint32_t left = i > 0 ? pixels[i - 1] : 0x80808080u;
        switch (choice % 32) {
        case 0: pixels[i] = 0; break;
        case 1: pixels[i] = 0xFF000001u; break;
        case 2: pixels[i] = (pixels[i] & 0xFFFFFF00u) | 1u; break;
        case 3: pixels[i] = 0xFFFFFFFFu; break;
        case 4: pixels[i] = (pixels[i] & 0xFF000000u) | 1u; break;
        case 5:
        case 6:
        case 7: pixels[i] = movedChannel(left, int(choice >> 8) % 3 * 8, (choice >> 16) & 1 ? 1 : -1); break;
        default: break;
        }
    }
    return pixels;
}

std::vector<uint32_t> nearbyPicture(const std::vector<uint32_t> &picture, uint32_t seed) {
    std::vector<uint32_t> near = picture;
    for (uint32_t &word : near) {
        const uint32_t choice = nextXorshift(seed);
        switch (choice % 16) {
        case 0: word ^= 0x5A000000u; break;
        case 1: word = (word & 0xFFFFFF00u) | ((word & 0xFFu) == 0 ? 1u : 0u); break;
        case 2: word = nextXorshift(seed); break;
        default:
            for (int shift = 0; shift < 24; shift += 8)
                word = movedChannel(word, shift, int(nextXorshift(seed) % 7) - 3);
        }
    }
    return near;
}

} // namespace mardolin_test
