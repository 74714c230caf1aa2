// Built only into the test copy of the plug-in: the switch that lets the
// tests run every primitive, through the host, on each kernel level.
#include "host_interface.h"
#include "kernel_dispatch.h"

// Host thread, before any primitive runs. 0 scalar, 1 baseline, 2 AVX2, 3 AVX-512;
// answers 1 when the level is now in use, 0 when this processor lacks it.
PLUGIN_EXPORT HostWord HOST_CALL selectMardolinKernels(HostWord level) {
    if (level < 0 || level > static_cast<HostWord>(mardolin::KernelLevel::Avx512)) return 0;
    return mardolin::selectKernelLevel(static_cast<mardolin::KernelLevel>(level)) ? 1 : 0;
}
