// What a long-lived host process would watch grow: its threads, its open
// descriptors, its resident memory and the heap it holds.
#ifndef CAPTURE_GSTREAMER_TESTS_PROCESS_FIGURES_H
#define CAPTURE_GSTREAMER_TESTS_PROCESS_FIGURES_H

#include <cstddef>

namespace livetest {

struct ProcessFigures {
    int threads = 0;
    int descriptors = 0;
    size_t residentBytes = 0;
    size_t heapBytes = 0;
};

int threadCount();
int openDescriptorCount();
size_t residentBytes();
// Bytes the heap holds for the program: what a leak would grow. Unlike the
// resident size it does not count a memory checker's quarantine of freed
// blocks.
size_t heapBytesInUse();
ProcessFigures processFigures();

} // namespace livetest

#endif
