// OpenCV's nearest counterparts, one thread, on the same 8-bit BGRA bytes.
#include "bench_registry.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <memory>

namespace bench {

namespace {

struct Pictures {
    cv::Mat first, second, output;
};

std::shared_ptr<Pictures> picturesOf(PictureSize size) {
    auto pictures = std::make_shared<Pictures>();
    for (auto [mat, seed] : {std::pair{&pictures->first, 1u}, std::pair{&pictures->second, 2u}}) {
        const std::vector<uint32_t> words = seededWords(size_t(size.width) * size.height, seed);
        *mat = cv::Mat(size.height, size.width, CV_8UC4, const_cast<uint32_t *>(words.data())).clone();
    }
    pictures->output = cv::Mat(size.height, size.width, CV_8UC4);
    return pictures;
}

void registerFilter2D(const char *work, int side) {
    registerWork(work, "", 0, [side](PictureSize size) {
        auto pictures = picturesOf(size);
        const cv::Mat weights = cv::Mat::ones(side, side, CV_32F) / float(side * side);
        return [pictures, weights] {
            cv::filter2D(pictures->first, pictures->output, -1, weights, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE);
        };
    });
}

} // namespace

void registerOpenCvAnchors() {
    cv::setNumThreads(0);
    registerFilter2D("opencv_filter2D_3x3", 3);
    registerFilter2D("opencv_filter2D_5x5", 5);
    registerWork("opencv_LUT", "", 0, [](PictureSize size) {
        auto pictures = picturesOf(size);
        cv::Mat table(1, 256, CV_8UC4);
        for (int i = 0; i < 256; ++i) table.at<cv::Vec4b>(i) = cv::Vec4b(uchar(255 - i), uchar(i / 2), uchar(i), 255);
        return [pictures, table] { cv::LUT(pictures->first, table, pictures->output); };
    });
    registerWork("opencv_convertScaleAbs", "", 0, [](PictureSize size) {
        auto pictures = picturesOf(size);
        return [pictures] { cv::convertScaleAbs(pictures->first, pictures->output, 1.2, 10.0); };
    });
    registerWork("opencv_absdiff", "", 0, [](PictureSize size) {
        auto pictures = picturesOf(size);
        return [pictures] { cv::absdiff(pictures->first, pictures->second, pictures->output); };
    });
}

} // namespace bench
