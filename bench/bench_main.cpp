// The speed benchmark: one run measures every work and its anchors.
#include "bench_registry.h"

#include <benchmark/benchmark.h>

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::registerMemcpyAnchor();
#if BENCH_WITH_OPENCV
    bench::registerOpenCvAnchors();
#endif
#if BENCH_WITH_LIBYUV
    bench::registerLibyuvAnchors();
#endif
    bench::registerFilterWorks();
    bench::registerConversionWorks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
