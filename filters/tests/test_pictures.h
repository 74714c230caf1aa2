// Seeded pictures that are the same on every platform, shared by the tests.
#ifndef MARDOLIN_TEST_PICTURES_H
#define MARDOLIN_TEST_PICTURES_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mardolin_test {

// xorshift32, one step per word.
std::vector<uint32_t> seededPicture(size_t count, uint32_t seed);

// As seededPicture, with about one word in four replaced by a word the
// pixel model treats specially: 0, OpaqueBlack, a blue byte of 1, white,
// or a colour that differs from its left neighbour by one step in a channel.
std::vector<uint32_t> awkwardPicture(size_t count, uint32_t seed);

// The picture with each word's channels moved by -3..3 each, now and then
// only its alpha or its blue byte 0 against 1 changed, now and then the word
// replaced: backgrounds whose distances from it straddle small thresholds.
std::vector<uint32_t> nearbyPicture(const std::vector<uint32_t> &picture, uint32_t seed);

} // namespace mardolin_test

#endif
