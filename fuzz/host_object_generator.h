// Builds the objects of a primitive call from a fuzzer's bytes, in the
// project's host: SmallIntegers and floats around the edges that matter
// (16 and 32 bits, the float range of a 32-bit word, NaN, infinities),
// word arrays, some of them ending against an inaccessible page, bitmaps
// well and badly formed, nil, the Booleans and objects of the wrong class.
// Host thread.
#ifndef FUZZ_HOST_OBJECT_GENERATOR_H
#define FUZZ_HOST_OBJECT_GENERATOR_H

#include "object_memory.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

namespace fuzzhost {

// What a stack entry is meant to be. Now and then the generator makes an
// object of another kind all the same.
enum class Role { Any, Float, Integer, Boolean, Bitmap, Kernel3, Kernel5 };

class ObjectGenerator {
public:
    // The bitmaps of one call share a shape, so that their word counts
    // match often enough for a primitive to get past its checks; a frame
    // size, when given, is one of the shapes.
    ObjectGenerator(FuzzedDataProvider &input, host::ObjectMemory &memory, int32_t frameWidth = 0,
                    int32_t frameHeight = 0);

    HostWord make(Role role);
    // Every object made so far, nested ones included.
    const std::vector<HostWord> &made() const { return made_; }

private:
    struct Shape {
        HostWord width, height; // as SmallInteger values
        size_t wordCount;
    };
    Shape chooseShape(int32_t frameWidth, int32_t frameHeight);
    HostWord smallInteger();
    HostWord smallIntegerOf(int64_t value);
    double number();
    HostWord dimension(HostWord value);
    HostWord wordArray(size_t count);
    HostWord pixelArray();
    HostWord bitmap();
    HostWord kernel(size_t words);
    HostWord remember(HostWord object);

    FuzzedDataProvider &input_;
    host::ObjectMemory &memory_;
    Shape shape_;
    std::vector<HostWord> made_;
    std::vector<HostWord> pixelArrays_;
};

} // namespace fuzzhost

#endif
