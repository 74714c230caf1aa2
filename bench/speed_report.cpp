// Reads the benchmark's CSV output (run with repetitions, so it holds
// medians) and prints a Markdown table of each work's median CPU time beside
// its ratio to its anchor, at the fastest level and at the AVX2 level (the
// work of the same name with "_avx2") side by side, then draws the ratios
// as a bar chart PNG. CPU
// time, because the machines it runs on are shared: wall time there counts
// other programs' turns too.
//   speed_report RESULTS.csv CHART.png
#include "bitmap_font.h"
#include "picture.h"
#include "png_image.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char *const Sizes[] = {"640x480", "1920x1080", "3840x2160"};
constexpr int SizeCount = 3;
constexpr int GoalSize = 1; // goals are set at 1920x1080

struct Work {
    std::string name;
    std::string anchor; // empty for an anchor
    double goal = 0;
    double milliseconds[SizeCount] = {0, 0, 0};
};

std::vector<std::string> csvFields(const std::string &line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

double toMilliseconds(double value, const std::string &unit) {
    if (unit == "ns") return value / 1e6;
    if (unit == "us") return value / 1e3;
    if (unit == "s") return value * 1e3;
    return value;
}

// Names look like "work/WxH_median"; labels "anchor<=goal" or "anchor".
bool readResults(const char *path, std::vector<Work> &works) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    std::map<std::string, int> column;
    std::map<std::string, size_t> indexOf;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = csvFields(line);
        if (fields.size() > 1 && fields[0] == "name") {
            for (size_t i = 0; i < fields.size(); ++i) column[fields[i]] = int(i);
            continue;
        }
        if (column.empty() || fields.size() < column.size()) continue;
        std::string name = fields[size_t(column["name"])];
        const std::string suffix = "_median";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        name.resize(name.size() - suffix.size());
        const size_t slash = name.rfind('/');
        if (slash == std::string::npos) continue;
        const std::string work = name.substr(0, slash), size = name.substr(slash + 1);
        int sizeIndex = -1;
        for (int s = 0; s < SizeCount; ++s)
            if (size == Sizes[s]) sizeIndex = s;
        if (sizeIndex < 0) continue;
        if (indexOf.count(work) == 0) {
            Work entry;
            entry.name = work;
            const std::string label = fields[size_t(column["label"])];
            const size_t goalAt = label.find("<=");
            if (label != "anchor") {
                entry.anchor = label.substr(0, goalAt);
                if (goalAt != std::string::npos) entry.goal = std::atof(label.c_str() + goalAt + 2);
            }
            indexOf[work] = works.size();
            works.push_back(entry);
        }
        works[indexOf[work]].milliseconds[sizeIndex] =
            toMilliseconds(std::atof(fields[size_t(column["cpu_time"])].c_str()), fields[size_t(column["time_unit"])]);
    }
    return true;
}

const Work *find(const std::vector<Work> &works, const std::string &name) {
    for (const Work &work : works)
        if (work.name == name) return &work;
    return nullptr;
}

// 0 when the anchor was not measured.
double ratioOf(const std::vector<Work> &works, const Work &work, int size) {
    const Work *anchor = find(works, work.anchor);
    if (anchor == nullptr || anchor->milliseconds[size] <= 0) return 0;
    return work.milliseconds[size] / anchor->milliseconds[size];
}

std::string formatted(const char *format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const std::string Avx2Suffix = "_avx2";

bool isAvx2Twin(const Work &work) {
    return work.name.size() > Avx2Suffix.size() &&
           work.name.compare(work.name.size() - Avx2Suffix.size(), Avx2Suffix.size(), Avx2Suffix) == 0;
}

// The works timed against an anchor at the fastest level, each with its
// AVX2 twin (null when not measured).
std::vector<std::pair<const Work *, const Work *>> levelPairs(const std::vector<Work> &works) {
    std::vector<std::pair<const Work *, const Work *>> pairs;
    for (const Work &work : works)
        if (!work.anchor.empty() && !isAvx2Twin(work)) pairs.emplace_back(&work, find(works, work.name + Avx2Suffix));
    return pairs;
}

std::string goalText(const std::vector<Work> &works, const Work *work) {
    if (work == nullptr || work->goal <= 0) return "–";
    const double ratio = ratioOf(works, *work, GoalSize);
    std::string goal = formatted("≤ %.2f×", work->goal);
    if (ratio > 0) goal += ratio <= work->goal ? " met" : " **not met**";
    return goal;
}

std::string timesText(const std::vector<Work> &works, const Work *work) {
    std::string text;
    for (int s = 0; s < SizeCount; ++s) {
        std::string cell = "–";
        if (work != nullptr) {
            const double ratio = ratioOf(works, *work, s);
            cell = formatted("%.2f", work->milliseconds[s]) + (ratio > 0 ? formatted(" (%.2f×)", ratio) : " (no anchor)");
        }
        text += " " + cell + " |";
    }
    return text;
}

void printTable(const std::vector<Work> &works) {
    std::printf("| Work | Anchor | Goal at 1920x1080, fastest level | Goal at 1920x1080, AVX2 level |");
    for (const char *level : {"fastest", "AVX2"})
        for (const char *size : Sizes) std::printf(" %s %s ms (ratio) |", level, size);
    std::printf("\n|---|---|---|---|---|---|---|---|---|---|\n");
    for (const auto &[best, avx2] : levelPairs(works))
        std::printf("| %s | %s | %s | %s |%s%s\n", best->name.c_str(), best->anchor.c_str(),
                    goalText(works, best).c_str(), goalText(works, avx2).c_str(), timesText(works, best).c_str(),
                    timesText(works, avx2).c_str());
    for (const Work &work : works) {
        if (!work.anchor.empty()) continue;
        std::printf("| %s | (anchor) | | |", work.name.c_str());
        for (int s = 0; s < SizeCount; ++s) std::printf(" %s |", formatted("%.2f", work.milliseconds[s]).c_str());
        std::printf(" | | |\n");
    }
}

// Horizontal bars of the ratio to the anchor on a log2 axis from 1/16 to 16,
// one bar per size at the fastest level (blues), then at the AVX2 level
// (oranges), and a red tick at each level's goal.
bool drawChart(const std::vector<Work> &works, const char *path) {
    const auto shown = levelPairs(works);
    constexpr int scale = 2, barPitch = 22, groupHeight = SizeCount * barPitch, rowHeight = 2 * groupHeight + 22,
                  labelWidth = 420, plotWidth = 900, top = 70, left = 20;
    constexpr double lowest = -4, highest = 4; // log2 of the ratios at the edges
    const int width = left + labelWidth + plotWidth + 40, height = top + int(shown.size()) * rowHeight + 60;
    demo::Picture chart(width, height, demo::pixelWord(255, 255, 255));
    const uint32_t ink = demo::pixelWord(20, 20, 20), grid = demo::pixelWord(205, 205, 205),
                   goalInk = demo::pixelWord(210, 30, 30), anchorInk = demo::pixelWord(110, 110, 110);
    const uint32_t sizeInk[2][SizeCount] = {
        {demo::pixelWord(120, 170, 220), demo::pixelWord(40, 100, 180), demo::pixelWord(15, 45, 110)},
        {demo::pixelWord(250, 190, 120), demo::pixelWord(230, 130, 40), demo::pixelWord(160, 80, 10)}};
    auto xOf = [&](double ratio) {
        const double position = (std::log2(ratio) - lowest) / (highest - lowest);
        return left + labelWidth + int(std::lround(std::fmin(std::fmax(position, 0.0), 1.0) * plotWidth));
    };
    auto fill = [&](int x0, int y0, int x1, int y1, uint32_t colour) {
        for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) chart.at(x, y) = colour;
    };
    demo::drawText(chart, left, 12, "CPU TIME AS A MULTIPLE OF THE ANCHOR TIME (LOG SCALE), ONE THREAD", scale, ink);
    for (int level = 0; level < 2; ++level)
        for (int s = 0; s < SizeCount; ++s) {
            const int x = left + s * 220, y = 34 + level * 18;
            fill(x, y, x + 14, y + 14, sizeInk[level][s]);
            demo::drawText(chart, x + 20, y + 1, std::string(level == 0 ? "FASTEST " : "AVX2 ") + Sizes[s], 1, ink);
        }
    fill(left + 3 * 220 + 6, 36, left + 3 * 220 + 9, 66, goalInk);
    demo::drawText(chart, left + 3 * 220 + 18, 44, "GOAL", scale, ink);
    for (int power = int(lowest); power <= int(highest); ++power) {
        const int x = xOf(std::exp2(power));
        fill(x, top - 6, x + (power == 0 ? 2 : 1), height - 40, power == 0 ? ink : grid);
        const std::string mark = power >= 0 ? std::to_string(1 << power) : "1/" + std::to_string(1 << -power);
        demo::drawText(chart, x - demo::textWidth(mark, scale) / 2, height - 32, mark, scale, ink);
    }
    for (size_t row = 0; row < shown.size(); ++row) {
        const int y = top + int(row) * rowHeight;
        demo::drawText(chart, left, y + groupHeight - 18, shown[row].first->name, scale, ink);
        demo::drawText(chart, left, y + groupHeight + 4, "VS " + shown[row].first->anchor, scale, anchorInk);
        for (int level = 0; level < 2; ++level) {
            const Work *work = level == 0 ? shown[row].first : shown[row].second;
            if (work == nullptr) continue;
            const int groupTop = y + level * groupHeight;
            for (int s = 0; s < SizeCount; ++s) {
                const double ratio = ratioOf(works, *work, s);
                if (ratio <= 0) continue;
                const int barTop = groupTop + s * barPitch, x0 = xOf(std::exp2(lowest));
                fill(x0, barTop, xOf(ratio), barTop + 18, sizeInk[level][s]);
                demo::drawText(chart, xOf(ratio) + 6, barTop + 2, formatted("%.2fx", ratio), scale, ink);
            }
            if (work->goal > 0)
                fill(xOf(work->goal) - 1, groupTop - 2, xOf(work->goal) + 2, groupTop + groupHeight - 2, goalInk);
        }
    }
    std::string error;
    if (!demo::writePng(path, chart, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s RESULTS.csv CHART.png\n", argv[0]);
        return 2;
    }
    std::vector<Work> works;
    if (!readResults(argv[1], works) || works.empty()) {
        std::fprintf(stderr, "no medians in %s\n", argv[1]);
        return 1;
    }
    printTable(works);
    return drawChart(works, argv[2]) ? 0 : 1;
}
