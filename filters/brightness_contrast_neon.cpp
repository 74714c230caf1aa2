// adjustPixelsWithTables, sixteen pixels a step: the pixels split into
// byte planes, each channel looked up in its 256-byte table with four
// 64-byte table look-ups, and merged again.
#include "brightness_contrast.h"
#include "instruction_sets.h"

#if MARDOLIN_NEON_KERNELS
#include <arm_neon.h>

namespace mardolin {

namespace {

// A channel's table entries as the bytes they place in the word.
struct ByteTable {
    uint8x16x4_t quarter[4];
};

ByteTable byteTableOf(const uint32_t *entries, int shift) {
    alignas(16) uint8_t bytes[256];
    for (int value = 0; value < 256; ++value) bytes[value] = static_cast<uint8_t>(entries[value] >> shift);
    ByteTable table;
    for (int q = 0; q < 4; ++q) table.quarter[q] = vld1q_u8_x4(bytes + 64 * q);
    return table;
}

// An index outside a table's 64 bytes gives 0 to TBL and keeps the byte to
// TBX, so each quarter fills the lanes whose index falls in it.
uint8x16_t lookedUp(const ByteTable &table, uint8x16_t index) {
    const uint8x16_t quarterStep = vdupq_n_u8(64);
    uint8x16_t result = vqtbl4q_u8(table.quarter[0], index);
    index = vsubq_u8(index, quarterStep);
    result = vqtbx4q_u8(result, table.quarter[1], index);
    index = vsubq_u8(index, quarterStep);
    result = vqtbx4q_u8(result, table.quarter[2], index);
    index = vsubq_u8(index, quarterStep);
    return vqtbx4q_u8(result, table.quarter[3], index);
}

} // namespace

void adjustPixelsWithTablesNeon(uint32_t *words, int32_t count, const ChannelTables &tables) {
    const ByteTable red = byteTableOf(tables.red, 16);
    const ByteTable green = byteTableOf(tables.green, 8);
    const ByteTable blue = byteTableOf(tables.blue, 0);
    for (int32_t i = 0; i < count; i += 16) {
        uint8_t *at = reinterpret_cast<uint8_t *>(words + i);
        uint8x16x4_t planes = vld4q_u8(at); // blue, green, red, alpha
        planes.val[0] = lookedUp(blue, planes.val[0]);
        planes.val[1] = lookedUp(green, planes.val[1]);
        planes.val[2] = lookedUp(red, planes.val[2]);
        planes.val[3] = vdupq_n_u8(255);
        // OpaqueBlack where all three are 0: the compare answers 0xFF there.
        const uint8x16_t colour = vorrq_u8(vorrq_u8(planes.val[0], planes.val[1]), planes.val[2]);
        planes.val[0] = vsubq_u8(planes.val[0], vceqzq_u8(colour));
        vst4q_u8(at, planes);
    }
}

} // namespace mardolin

#endif
