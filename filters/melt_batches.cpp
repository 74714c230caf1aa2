// meltPixels in batches. The plain loop waits on the generator's serial
// step and on each pair's words, and mispredicts about half its exchanges;
// here the generator runs as interleaved streams, a batch's words are
// fetched before its exchanges, and an exchange is a pair of selects on
// luminances looked up a channel at a time.
#include "pixel.h"
#include "random_effects.h"
#include "random_generator.h"

namespace mardolin {

namespace {

constexpr int32_t Streams = 4;
constexpr int32_t BatchAttempts = 16 * Streams;

// The generator's streams: attempt a takes draw a + 1, and stream s takes
// the attempts a = s (mod Streams), each a jump of Streams draws ahead.
class DrawStreams {
  public:
    explicit DrawStreams(uint32_t state) : jump_(generatorJump(Streams)), lastState_(state) {
        for (uint32_t &stream : streams_) stream = state = state * GeneratorMultiplier + GeneratorIncrement;
    }

    // The upper words of the next count attempts (at most BatchAttempts),
    // each pair asked for ahead of its use.
    void drawUpperIndices(int32_t count, double range, const uint32_t *words, int32_t width, int32_t *upper) {
        for (int32_t a = 0; a < count; a += Streams)
            for (int32_t s = 0; s < Streams && a + s < count; ++s) {
                lastState_ = streams_[s];
                const int32_t index = truncateToWord(drawOfState(streams_[s]) * UnitPerDraw * range);
                streams_[s] = streams_[s] * jump_.multiplier + jump_.increment;
                upper[a + s] = index;
                __builtin_prefetch(words + index, 1);
                __builtin_prefetch(words + index + width, 1);
            }
    }

    // The state of the last draw taken.
    uint32_t lastState() const { return lastState_; }

  private:
    GeneratorJump jump_;
    uint32_t streams_[Streams];
    uint32_t lastState_;
};

// weightedLuminanceOf as three table look-ups, one per channel byte.
struct LuminanceTables {
    int32_t red[256], green[256], blue[256];
};

constexpr LuminanceTables luminanceTables() {
    LuminanceTables tables = {};
    for (uint32_t value = 0; value < 256; ++value) {
        tables.red[value] = weightedLuminanceOf(value << 16);
        tables.green[value] = weightedLuminanceOf(value << 8);
        tables.blue[value] = weightedLuminanceOf(value);
    }
    return tables;
}

constexpr LuminanceTables Luminances = luminanceTables();

int32_t tabledLuminanceOf(uint32_t pixel) {
    return Luminances.red[(pixel >> 16) & 255u] + Luminances.green[(pixel >> 8) & 255u] + Luminances.blue[pixel & 255u];
}

void exchangeIfDarkerBelow(uint32_t *words, int32_t width, const int32_t *upper, int32_t count) {
    for (int32_t a = 0; a < count; ++a) {
        uint32_t &upperWord = words[upper[a]];
        uint32_t &lowerWord = words[upper[a] + width];
        const uint32_t upperPixel = upperWord, lowerPixel = lowerWord;
        const bool sinks = tabledLuminanceOf(lowerPixel) < tabledLuminanceOf(upperPixel);
        upperWord = sinks ? lowerPixel : upperPixel;
        lowerWord = sinks ? upperPixel : lowerPixel;
    }
}

} // namespace

void meltPixelsInBatches(uint32_t *words, int32_t width, int32_t height, double amount) {
    const int32_t attempts = truncateToWord(static_cast<double>(width) * amount * static_cast<double>(height));
    if (attempts < 1 || height < 2) return;
    const double range = static_cast<double>((height - 1) * width - 1);
    DrawStreams draws(generatorState());
    // Each batch's draws are taken, and its words asked for, while the
    // batch before it makes its exchanges.
    int32_t upper[2][BatchAttempts];
    int32_t count = attempts < BatchAttempts ? attempts : BatchAttempts;
    draws.drawUpperIndices(count, range, words, width, upper[0]);
    for (int32_t done = 0, batch = 0; done < attempts; batch ^= 1) {
        const int32_t left = attempts - done - count;
        const int32_t next = left < BatchAttempts ? left : BatchAttempts;
        draws.drawUpperIndices(next, range, words, width, upper[batch ^ 1]);
        exchangeIfDarkerBelow(words, width, upper[batch], count);
        done += count;
        count = next;
    }
    setGeneratorState(draws.lastState());
}

} // namespace mardolin
