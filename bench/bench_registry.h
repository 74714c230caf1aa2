// How the benchmark's parts register their measurements: every work at the
// three picture sizes, each naming the anchor its time is compared with.
#ifndef BENCH_REGISTRY_H
#define BENCH_REGISTRY_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct PictureSize {
    int width;
    int height;
};

// 640x480, 1920x1080, 3840x2160.
const std::vector<PictureSize> &pictureSizes();
std::string nameOf(PictureSize size);

// Prepares one measurement at one size and answers the step to time; what
// it captures lives until the measurement ends.
using Preparation = std::function<std::function<void()>(PictureSize size)>;

// Registers "work/WxH" at every size. The anchor is the work whose time at
// the same size this one is compared with ("" for an anchor itself), and the
// goal the largest ratio to it aimed at (0 for none).
void registerWork(const std::string &work, const std::string &anchor, double goal, const Preparation &prepare);

// Seeded pixel words that are the same on every run.
std::vector<uint32_t> seededWords(size_t count, uint32_t seed);

// The parts: each registers its works.
void registerFilterWorks();
void registerConversionWorks();
void registerMemcpyAnchor();
void registerOpenCvAnchors(); // only in builds with OpenCV
void registerLibyuvAnchors(); // only in builds with libyuv

} // namespace bench

#endif
