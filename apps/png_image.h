// Reading and writing PNG files as pictures of host pixel words.
#ifndef APPS_PNG_IMAGE_H
#define APPS_PNG_IMAGE_H

#include "picture.h"

#include <string>

namespace demo {

// Pictures with more pixels than this are refused when read, so that a
// hostile header cannot make us allocate without bound.
constexpr uint64_t kMaxPngPixels = uint64_t(1) << 26;

// Any PNG colour type and depth is read as 8-bit straight RGBA.
// Answers false, with the reason in error, when it cannot be read.
bool readPng(const std::string &path, Picture *picture, std::string *error);

// Writes 8-bit RGBA; answers false, with the reason in error, on failure.
bool writePng(const std::string &path, const Picture &picture, std::string *error);

} // namespace demo

#endif
