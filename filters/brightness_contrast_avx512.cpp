// adjustPixelsWithTables, sixteen pixels a step: each table lives in four
// registers and one two-register byte permute looks up 64 bytes at once, the
// low half of a table for bytes below 128 and the high half for the rest.
// Needs AVX-512 F, BW and VBMI.
#include "brightness_contrast.h"
#include "instruction_sets.h"

#if MARDOLIN_X86_KERNELS
#include <immintrin.h>

namespace mardolin {

namespace {

struct ByteTable {
    __m512i quarters[4]; // entries 0..63, 64..127, 128..191, 192..255
};

// A table of words shifted into place, as the byte that lands at `shift`.
ByteTable byteTableOf(const uint32_t *entries, int shift) {
    alignas(64) uint8_t bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(entries[i] >> shift);
    ByteTable table;
    for (int q = 0; q < 4; ++q) table.quarters[q] = _mm512_load_si512(bytes + 64 * q);
    return table;
}

// The table's entries for the bytes at positions, zero elsewhere.
__m512i lookedUp(const ByteTable &table, __m512i bytes, __mmask64 positions, __mmask64 highBytes) {
    const __m512i low =
        _mm512_maskz_permutex2var_epi8(positions & ~highBytes, table.quarters[0], bytes, table.quarters[1]);
    const __m512i high =
        _mm512_maskz_permutex2var_epi8(positions & highBytes, table.quarters[2], bytes, table.quarters[3]);
    return _mm512_or_si512(low, high);
}

} // namespace

void adjustPixelsWithTablesAvx512(uint32_t *words, int32_t count, const ChannelTables &tables) {
    const ByteTable red = byteTableOf(tables.red, 16);
    const ByteTable green = byteTableOf(tables.green, 8);
    const ByteTable blue = byteTableOf(tables.blue, 0);
    constexpr __mmask64 BluePositions = 0x1111111111111111ull;
    const __m512i alpha = _mm512_set1_epi32(static_cast<int32_t>(0xFF000000u));
    const __m512i one = _mm512_set1_epi32(1);
    for (int32_t i = 0; i < count; i += 16) {
        uint32_t *at = words + i;
        const __m512i pixels = _mm512_loadu_si512(at);
        const __mmask64 highBytes = _mm512_movepi8_mask(pixels);
        const __m512i adjusted =
            _mm512_or_si512(_mm512_or_si512(alpha, lookedUp(red, pixels, BluePositions << 2, highBytes)),
                            _mm512_or_si512(lookedUp(green, pixels, BluePositions << 1, highBytes),
                                            lookedUp(blue, pixels, BluePositions, highBytes)));
        // OpaqueBlack where all three channels came out 0.
        const __mmask16 black = _mm512_cmpeq_epi32_mask(adjusted, alpha);
        _mm512_storeu_si512(at, _mm512_mask_or_epi32(adjusted, black, adjusted, one));
    }
}

} // namespace mardolin

#endif
