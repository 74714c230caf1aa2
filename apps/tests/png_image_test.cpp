#include "png_image.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace demo {
namespace {

// The file's samples as libpng itself gives them, red first.
std::vector<png_byte> rgbaSamplesOf(const std::string &path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> samples(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr)) return {};
    return samples;
}

class PngFile : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = std::filesystem::path(::testing::TempDir()) /
                     ("png_image_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }
    std::string pathOf(const std::string &name) const { return (directory_ / name).string(); }

    std::filesystem::path directory_;
};

TEST_F(PngFile, WriteThenReadGivesBackEveryPixelWord) {
    // Odd size, every channel distinct, and the alpha values the filters care
    // about: transparent 0, opaque black 0xFF000001, partial alpha.
    Picture picture(3, 2);
    picture.pixels = {0x00000000u, 0xFF000001u, 0x80123456u, 0xFFFFFFFFu, 0x01FEDCBAu, 0x7F0A0B0Cu};
    std::string error;
    ASSERT_TRUE(writePng(pathOf("round.png"), picture, &error)) << error;

    Picture read;
    ASSERT_TRUE(readPng(pathOf("round.png"), &read, &error)) << error;
    EXPECT_EQ(read.width, 3);
    EXPECT_EQ(read.height, 2);
    EXPECT_EQ(read.pixels, picture.pixels);
    // Other programs see the channels where they belong, not just us.
    const std::vector<png_byte> samples = rgbaSamplesOf(pathOf("round.png"));
    ASSERT_EQ(samples.size(), size_t(24));
    EXPECT_EQ(std::vector<png_byte>(samples.begin() + 8, samples.begin() + 12),
              (std::vector<png_byte>{0x12, 0x34, 0x56, 0x80}));
}

TEST_F(PngFile, FailuresNameThePathAndLeaveThePictureAlone) {
    std::ofstream(pathOf("text.png")) << "not a picture at all";
    const Picture untouched(1, 1, 0x12345678u);
    const std::string cases[] = {pathOf("missing.png"), pathOf("text.png")};
    for (const std::string &path : cases) {
        SCOPED_TRACE(path);
        Picture picture = untouched;
        std::string error;
        EXPECT_FALSE(readPng(path, &picture, &error));
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(picture.pixels, untouched.pixels);
    }
}

TEST_F(PngFile, RefusesAHeaderThatAsksForTooManyPixels) {
    // A header for 20000 x 20000 RGBA and an empty data chunk: the refusal
    // must come from the size alone, before any pixel is allocated.
    std::ofstream file(pathOf("huge.png"), std::ios::binary);
    file.write("\x89PNG\r\n\x1a\n", 8);
    auto writeChunk = [&file](const std::vector<uint8_t> &typeAndData) {
        const uint32_t length = uint32_t(typeAndData.size() - 4);
        const uLong crc = crc32(crc32(0, nullptr, 0), typeAndData.data(), uInt(typeAndData.size()));
        const char big[] = {char(length >> 24), char(length >> 16), char(length >> 8), char(length),
                            char(crc >> 24),    char(crc >> 16),    char(crc >> 8),    char(crc)};
        file.write(big, 4);
        file.write(reinterpret_cast<const char *>(typeAndData.data()), std::streamsize(typeAndData.size()));
        file.write(big + 4, 4);
    };
    writeChunk({'I', 'H', 'D', 'R', 0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20, 8, 6, 0, 0, 0});
    writeChunk({'I', 'D', 'A', 'T'});
    file.close();

    Picture picture;
    std::string error;
    EXPECT_FALSE(readPng(pathOf("huge.png"), &picture, &error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST_F(PngFile, WritingIntoAMissingDirectoryFails) {
    std::string error;
    EXPECT_FALSE(writePng(pathOf("no/such/dir/out.png"), Picture(2, 2, 0xFF112233u), &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace demo
