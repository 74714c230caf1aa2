// Demo host for the filter library: loads it by name, runs each of its
// eight filters on one picture and writes a labelled contact sheet.
#include "contact_sheet.h"
#include "filter_host.h"
#include "picture.h"
#include "png_image.h"
#include "sample_picture.h"

#include "plugin_loader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using demo::CallOutcome;
using demo::FilterHost;
using demo::Picture;

constexpr const char *kLibraryName = "Mardolin";
constexpr const char *kDefaultOutput = "out/contact-sheet.png";
constexpr int kSheetColumns = 3;
// Larger inputs are reduced first, to keep the sheet a sensible size.
constexpr int kMaxInputWidth = 640;
constexpr int kMaxInputHeight = 480;

struct Options {
    std::string input;
    std::string output = kDefaultOutput;
    bool help = false;
};

void printUsage(std::FILE *stream) {
    std::fprintf(stream,
                 "Usage: mardolin_demo [--input FILE.png] [--output FILE.png]\n"
                 "\n"
                 "Loads the %s filter library from the plug-in directory (PLUGIN_DIRECTORY\n"
                 "overrides the build's lib/), runs its eight filters on a built-in picture\n"
                 "or on FILE.png (reduced to fit %dx%d), prints each filter's time and\n"
                 "writes a contact sheet of the results.\n"
                 "\n"
                 "  --input FILE.png   picture to filter instead of the built-in one\n"
                 "  --output FILE.png  contact sheet to write (default %s)\n"
                 "  --help             show this text\n",
                 kLibraryName, kMaxInputWidth, kMaxInputHeight, kDefaultOutput);
}

// Accepts "--name value" and "--name=value"; answers false on anything else.
bool parseOptions(int argc, char **argv, Options *options, std::string *error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options->help = true;
            continue;
        }
        const size_t equals = name.find('=');
        const bool joined = equals != std::string::npos;
        std::string value = joined ? name.substr(equals + 1) : std::string();
        if (joined) name.resize(equals);
        std::string *target = name == "--input" ? &options->input : name == "--output" ? &options->output : nullptr;
        if (target == nullptr) {
            *error = "unknown option " + name;
            return false;
        }
        if (!joined && i + 1 < argc) value = argv[++i];
        if (value.empty()) {
            *error = "missing value for " + name;
            return false;
        }
        *target = value;
    }
    return true;
}

// One filter run: the outcome of the call and the picture it left.
struct Result {
    CallOutcome outcome;
    Picture picture;
};

struct Effect {
    const char *primitive;
    std::string label;
    std::function<Result(FilterHost &, const char *primitive, const Picture &)> run;
};

// Runs a filter that rewrites one bitmap in place: bitmap, then parameters.
Result runInPlace(FilterHost &filters, const char *primitive, const Picture &picture,
                  const std::vector<double> &parameters) {
    const HostWord bitmap = filters.newBitmap(picture);
    std::vector<HostWord> arguments{bitmap};
    for (double parameter : parameters) arguments.push_back(filters.newFloat(parameter));
    Result result;
    result.outcome = filters.call(primitive, arguments);
    result.picture = filters.pictureOf(bitmap);
    return result;
}

// Runs a convolution from the picture into a fresh bitmap of its size.
Result runConvolution(FilterHost &filters, const char *primitive, const Picture &picture,
                      const std::vector<float> &kernel, double divisor, double bias) {
    const HostWord destination = filters.newBitmap(Picture(picture.width, picture.height));
    Result result;
    result.outcome = filters.call(primitive, {filters.newBitmap(picture), destination, filters.newKernel(kernel),
                                              filters.newFloat(divisor), filters.newFloat(bias)});
    result.picture = filters.pictureOf(destination);
    return result;
}

// The picture moved by (dx, dy), its edge pixels repeated into the gap.
Picture shifted(const Picture &picture, int dx, int dy) {
    Picture moved(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int sx = std::clamp(x - dx, 0, picture.width - 1), sy = std::clamp(y - dy, 0, picture.height - 1);
            moved.at(x, y) = picture.at(sx, sy);
        }
    }
    return moved;
}

// Against a copy moved a few pixels, whatever "moved" keeps its colours
// and the still parts turn transparent.
Result runBackgroundSubtraction(FilterHost &filters, const char *primitive, const Picture &picture, int dx, int dy,
                                double threshold) {
    const HostWord output = filters.newBitmap(Picture(picture.width, picture.height));
    Result result;
    result.outcome = filters.call(primitive, {filters.newBitmap(picture), filters.newBitmap(shifted(picture, dx, dy)),
                                              output, filters.newFloat(threshold)});
    result.picture = filters.pictureOf(output);
    return result;
}

// Gaussian weights 1 4 6 4 1 in both directions; they sum to 256.
std::vector<float> gaussianBlur5X5() {
    const float row[5] = {1, 4, 6, 4, 1};
    std::vector<float> kernel;
    for (float vertical : row)
        for (float horizontal : row) kernel.push_back(vertical * horizontal);
    return kernel;
}

std::vector<Effect> demoEffects() {
    return {
        {"adjustBrightnessAndContrast", "BRIGHTNESS 0.1\nCONTRAST 0.3",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runInPlace(f, name, p, {0.1, 0.3});
         }},
        {"adjustRBGBrightnessAndContrast", "RGB BRIGHTNESS .2 -.1 .05\nRGB CONTRAST .4 .1 -.3",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runInPlace(f, name, p, {0.2, -0.1, 0.05, 0.4, 0.1, -0.3});
         }},
        {"backgroundSubstraction", "BACKGROUND SUBTRACTION\nSHIFTED 6,3  THRESHOLD .08",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runBackgroundSubtraction(f, name, p, 6, 3, 0.08);
         }},
        {"matrix3X3Multiplication", "3x3 EDGE DETECTION\nDIVISOR 1  BIAS 0",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runConvolution(f, name, p, {-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1.0, 0.0);
         }},
        {"matrix5X5Multiplication", "5x5 GAUSSIAN BLUR\nDIVISOR 256  BIAS 0",
         [](FilterHost &f, const char *name, const Picture &p) {
             return runConvolution(f, name, p, gaussianBlur5X5(), 256.0, 0.0);
         }},
        {"melt", "MELT\nAMOUNT 2",
         [](FilterHost &f, const char *name, const Picture &p) { return runInPlace(f, name, p, {2.0}); }},
        {"oldBWTV", "OLD BLACK AND WHITE TV",
         [](FilterHost &f, const char *name, const Picture &p) { return runInPlace(f, name, p, {}); }},
        {"oldColorTV", "OLD COLOUR TV",
         [](FilterHost &f, const char *name, const Picture &p) { return runInPlace(f, name, p, {}); }},
    };
}

bool loadPicture(const Options &options, Picture *picture, std::string *description) {
    if (options.input.empty()) {
        *picture = demo::makeSamplePicture();
        *description = "built-in picture";
        return true;
    }
    std::string error;
    if (!demo::readPng(options.input, picture, &error)) {
        std::fprintf(stderr, "mardolin_demo: %s\n", error.c_str());
        return false;
    }
    const Picture reduced = demo::shrinkToFit(*picture, kMaxInputWidth, kMaxInputHeight);
    if (reduced.width != picture->width || reduced.height != picture->height)
        std::printf("Reduced %s from %dx%d to %dx%d\n", options.input.c_str(), picture->width, picture->height,
                    reduced.width, reduced.height);
    *picture = reduced;
    *description = std::filesystem::path(options.input).filename().string();
    return true;
}

bool createParentDirectory(const std::string &path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error)
        std::fprintf(stderr, "mardolin_demo: cannot create %s: %s\n", parent.string().c_str(), error.message().c_str());
    return !error;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "mardolin_demo: %s\n", error.c_str());
        printUsage(stderr);
        return 2;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }

    Picture original;
    std::string description;
    if (!loadPicture(options, &original, &description)) return 1;

    const std::unique_ptr<FilterHost> filters =
        FilterHost::open(kLibraryName, host::Plugin::defaultDirectory(), &error);
    if (filters == nullptr) {
        std::fprintf(stderr, "mardolin_demo: cannot load %s: %s\n", kLibraryName, error.c_str());
        return 1;
    }
    const std::string moduleName = filters->moduleName();
    std::printf("Loaded %s from %s\n", moduleName.c_str(), filters->libraryPath().c_str());
    std::printf("Filtering %s, %dx%d\n", description.c_str(), original.width, original.height);

    std::vector<demo::Tile> tiles{{"ORIGINAL", original}};
    int failures = 0;
    for (const Effect &effect : demoEffects()) {
        const Result result = effect.run(*filters, effect.primitive, original);
        if (result.outcome.succeeded) {
            std::printf("%-32s %9.3f ms\n", effect.primitive, result.outcome.milliseconds);
            tiles.push_back({effect.label, result.picture});
        } else {
            std::printf("%-32s FAILED: %s\n", effect.primitive, result.outcome.problem.c_str());
            tiles.push_back({effect.label, std::nullopt});
            ++failures;
        }
    }

    const std::string title = (moduleName.empty() ? std::string(kLibraryName) : moduleName) + " - " + description +
                              " " + std::to_string(original.width) + "x" + std::to_string(original.height);
    const Picture sheet = demo::composeContactSheet(title, tiles, kSheetColumns);
    if (!createParentDirectory(options.output)) return 1;
    if (!demo::writePng(options.output, sheet, &error)) {
        std::fprintf(stderr, "mardolin_demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("Wrote %s (%dx%d)\n", options.output.c_str(), sheet.width, sheet.height);
    return failures == 0 ? 0 : 1;
}
