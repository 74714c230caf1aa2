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
void fillByteTable(uint8_t *bytes, const uint32_t *entries, int shift) {
    for (int value = 0; value < 256; ++value) bytes[value] = static_cast<uint8_t>(entries[value] >> shift);
}

// An index outside a table's 64 bytes gives 0 to TBL and keeps the byte to
// TBX, so each quarter fills the lanes whose index falls in it. The tables
// do not fit the registers together; each quarter is loaded where it is used.
inline __attribute__((always_inline)) uint8x16_t lookedUp(const uint8_t *table, uint8x16_t index) {
    const uint8x16_t quarterStep = vdupq_n_u8(64);
    uint8x16_t result = vqtbl4q_u8(vld1q_u8_x4(table), index);
    index = vsubq_u8(index, quarterStep);
    result = vqtbx4q_u8(result, vld1q_u8_x4(table + 64), index);
    index = vsubq_u8(index, quarterStep);
    result = vqtbx4q_u8(result, vld1q_u8_x4(table + 128), index);
    index = vsubq_u8(index, quarterStep);
    return vqtbx4q_u8(result, vld1q_u8_x4(table + 192), index);
}

} // namespace

void adjustPixelsWithTablesNeon(uint32_t *words, int32_t count, const ChannelTables &tables) {
    alignas(16) uint8_t red[256], green[256], blue[256];
    fillByteTable(red, tables.red, 16);
    fillByteTable(green, tables.green, 8);
    fillByteTable(blue, tables.blue, 0);
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
