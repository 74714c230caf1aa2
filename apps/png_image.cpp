#include "png_image.h"

#include <png.h>

#include <cstring>

namespace demo {

namespace {
png_image emptyImage() {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    return image;
}

bool failWith(png_image *image, const std::string &path, const std::string &reason, std::string *error) {
    png_image_free(image);
    if (error != nullptr) *error = path + ": " + reason;
    return false;
}
} // namespace

bool readPng(const std::string &path, Picture *picture, std::string *error) {
    png_image image = emptyImage();
    if (!png_image_begin_read_from_file(&image, path.c_str())) return failWith(&image, path, image.message, error);
    if (image.width == 0 || image.height == 0 || uint64_t(image.width) * image.height > kMaxPngPixels)
        return failWith(&image, path,
                        "picture of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                            " pixels is too large",
                        error);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return failWith(&image, path, image.message, error);

    Picture read(int(image.width), int(image.height));
    for (size_t i = 0; i < read.pixels.size(); ++i) {
        const png_byte *sample = &rgba[4 * i];
        read.pixels[i] = pixelWord(sample[0], sample[1], sample[2], sample[3]);
    }
    *picture = std::move(read);
    return true;
}

bool writePng(const std::string &path, const Picture &picture, std::string *error) {
    png_image image = emptyImage();
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(picture.pixels.size() * 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint32_t pixel = picture.pixels[i];
        png_byte *sample = &rgba[4 * i];
        sample[0] = png_byte(redOf(pixel));
        sample[1] = png_byte(greenOf(pixel));
        sample[2] = png_byte(blueOf(pixel));
        sample[3] = png_byte(alphaOf(pixel));
    }
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr))
        return failWith(&image, path, image.message, error);
    return true;
}

} // namespace demo
