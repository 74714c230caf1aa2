// meltPixels over a table of the words it can touch. An attempt's upper
// word depends only on its 15-bit draw, so whatever the picture's size at
// most 32768 upper and 32768 lower words take part. They are gathered once
// into cells of (weighted luminance, word), in word order, each word once
// even where one draw's lower word is another's upper; the attempts then
// run in order with the same serial generator against the cells, which fit
// in the second-level cache where the picture does not, and the cells are
// written back.
#include "pixel.h"
#include "random_effects.h"
#include "random_generator.h"

#include <atomic>
#include <cstdint>

namespace mardolin {

namespace {

constexpr int32_t DrawCount = 32768;
constexpr int32_t CellCount = 2 * DrawCount;

// Below this many attempts, building the table costs more than it saves.
constexpr int32_t LeastTableAttempts = 4 * DrawCount;

struct MeltTable {
    int32_t upperOfDraw[DrawCount];
    uint32_t cellsOfDraw[DrawCount];  // upper cell in the low 16 bits, lower cell in the high 16
    int32_t wordOfCell[CellCount];    // ascending
    uint64_t cells[CellCount];        // weighted luminance << 32 | word
};

// One table for the module, too large for a host thread's stack; a thread
// that finds it taken runs the batched loop instead, which gives the same words.
MeltTable sharedTable;
std::atomic<bool> tableTaken{false};

uint64_t cellOf(uint32_t word) { return static_cast<uint64_t>(weightedLuminanceOf(word)) << 32 | word; }

// Both the upper words (ascending with the draw) and the lower words (the
// same, a row further) are merged into one ascending list of distinct words.
int32_t gatherCells(MeltTable &table, const uint32_t *words, int32_t width, double range) {
    int32_t *upperOfDraw = table.upperOfDraw;
    for (int32_t draw = 0; draw < DrawCount; ++draw)
        upperOfDraw[draw] = truncateToWord(draw * UnitPerDraw * range);
    int32_t cellCount = 0;
    int64_t last = -1;
    auto cellFor = [&](int64_t word) {
        if (word != last) {
            table.wordOfCell[cellCount++] = static_cast<int32_t>(word);
            last = word;
        }
        return static_cast<uint32_t>(cellCount - 1);
    };
    for (int32_t upper = 0, lower = 0; upper < DrawCount || lower < DrawCount;) {
        const int64_t upperWord = upper < DrawCount ? upperOfDraw[upper] : INT64_MAX;
        const int64_t lowerWord = lower < DrawCount ? int64_t(upperOfDraw[lower]) + width : INT64_MAX;
        if (upperWord <= lowerWord)
            table.cellsOfDraw[upper++] = cellFor(upperWord);
        else
            table.cellsOfDraw[lower++] |= cellFor(lowerWord) << 16;
    }
    for (int32_t cell = 0; cell < cellCount; ++cell) table.cells[cell] = cellOf(words[table.wordOfCell[cell]]);
    return cellCount;
}

// The cells of the attempt PrefetchDistance ahead are asked for while the
// current one runs: a second copy of the generator runs that far ahead.
constexpr int32_t PrefetchDistance = 16;

void exchangeInCells(MeltTable &table, int32_t attempts) {
    uint32_t state = generatorState();
    const GeneratorJump jump = generatorJump(PrefetchDistance);
    uint32_t ahead = state * jump.multiplier + jump.increment;
    for (int32_t attempt = 0; attempt < attempts; ++attempt) {
        ahead = ahead * GeneratorMultiplier + GeneratorIncrement;
        const uint32_t aheadCells = table.cellsOfDraw[drawOfState(ahead)];
        __builtin_prefetch(&table.cells[aheadCells & 0xFFFFu], 1);
        __builtin_prefetch(&table.cells[aheadCells >> 16], 1);
        state = state * GeneratorMultiplier + GeneratorIncrement;
        const uint32_t cells = table.cellsOfDraw[drawOfState(state)];
        uint64_t &upperCell = table.cells[cells & 0xFFFFu];
        uint64_t &lowerCell = table.cells[cells >> 16];
        const uint64_t upper = upperCell, lower = lowerCell;
        const bool sinks = (lower >> 32) < (upper >> 32);
        upperCell = sinks ? lower : upper;
        lowerCell = sinks ? upper : lower;
    }
    setGeneratorState(state);
}

} // namespace

void meltPixelsOverTable(uint32_t *words, int32_t width, int32_t height, double amount) {
    const int32_t attempts = truncateToWord(static_cast<double>(width) * amount * static_cast<double>(height));
    if (attempts < LeastTableAttempts || height < 2 || tableTaken.exchange(true, std::memory_order_acquire))
        return meltPixelsInBatches(words, width, height, amount);
    MeltTable &table = sharedTable;
    const int32_t cellCount = gatherCells(table, words, width, static_cast<double>((height - 1) * width - 1));
    exchangeInCells(table, attempts);
    for (int32_t cell = 0; cell < cellCount; ++cell)
        words[table.wordOfCell[cell]] = static_cast<uint32_t>(table.cells[cell]);
    tableTaken.store(false, std::memory_order_release);
}

} // namespace mardolin
