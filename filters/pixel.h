// The pixel model every filter shares: channel access, unit values, packing
// and the one float-to-integer conversion. Everything here is a pure inline
// function so that a vectorised kernel can reproduce it word for word.
#ifndef MARDOLIN_PIXEL_H
#define MARDOLIN_PIXEL_H

#include <cmath>
#include <cstdint>

namespace mardolin {

// A computed black is written with a blue byte of 1 so that it never turns
// into the transparent word 0; blueOf reads that byte back as 0.
constexpr uint32_t OpaqueBlack = 0xFF000001u;
constexpr uint32_t OpaqueWhite = 0xFFFFFFFFu;

constexpr double UnitPerChannelStep = 0.00390625;    // 1 / 256
constexpr double UnitPerLuminanceStep = 3.90625e-06; // 1 / 256000

constexpr int32_t redOf(uint32_t pixel) { return static_cast<int32_t>((pixel >> 16) & 255u); }
constexpr int32_t greenOf(uint32_t pixel) { return static_cast<int32_t>((pixel >> 8) & 255u); }
constexpr int32_t blueOf(uint32_t pixel) {
    const uint32_t blue = pixel & 255u;
    return blue == 1u ? 0 : static_cast<int32_t>(blue);
}

inline double redUnitOf(uint32_t pixel) { return redOf(pixel) * UnitPerChannelStep; }
inline double greenUnitOf(uint32_t pixel) { return greenOf(pixel) * UnitPerChannelStep; }
inline double blueUnitOf(uint32_t pixel) { return blueOf(pixel) * UnitPerChannelStep; }

// 299 red + 587 green + 114 blue: 0 for black, 255000 for white.
constexpr int32_t weightedLuminanceOf(uint32_t pixel) {
    return 299 * redOf(pixel) + 587 * greenOf(pixel) + 114 * blueOf(pixel);
}

// 0 for black, 0.99609375 for white. A rounded product of the weighted sum
// with a constant far from 0: distinct sums give distinct luminances in the
// same order, which lets kernels compare the sums instead.
inline double luminanceOf(uint32_t pixel) { return weightedLuminanceOf(pixel) * UnitPerLuminanceStep; }

// Truncates toward zero to 64 bits and keeps the low 32 bits as a signed
// value; what has no 64-bit value (NaN, infinities, |value| >= 2^63) gives 0.
// Within the 32-bit range this is plain truncation.
inline int32_t truncateToWord(double value) {
    if (!(std::fabs(value) < 9223372036854775808.0)) return 0;
    const auto wide = static_cast<uint64_t>(static_cast<int64_t>(value));
    return static_cast<int32_t>(static_cast<uint32_t>(wide));
}

// Channels 0..255, passed in range: neither clamped nor masked.
inline uint32_t packPixel(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    if (alpha == 0) return 0;
    const uint32_t opaque = static_cast<uint32_t>(alpha) << 24;
    if (red == 0 && green == 0 && blue == 0) return opaque + 1u;
    return opaque + (static_cast<uint32_t>(red) << 16) + (static_cast<uint32_t>(green) << 8) +
           static_cast<uint32_t>(blue);
}

// Unit channels 0.0..1.0, clamped by the caller. Alpha is truncated, the
// colour channels rounded.
inline uint32_t packUnitPixel(double red, double green, double blue, double alpha) {
    return packPixel(truncateToWord(red * 255 + 0.5), truncateToWord(green * 255 + 0.5),
                     truncateToWord(blue * 255 + 0.5), truncateToWord(alpha * 255));
}

} // namespace mardolin

#endif
