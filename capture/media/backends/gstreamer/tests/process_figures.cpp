#include "process_figures.h"

#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator count; GCC ships no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace livetest {
namespace {

int entriesIn(const char *directory) {
    int entries = 0;
    if (DIR *listing = opendir(directory)) {
        while (dirent *entry = readdir(listing))
            if (entry->d_name[0] != '.') ++entries;
        closedir(listing);
    }
    return entries;
}

} // namespace

int threadCount() { return entriesIn("/proc/self/task"); }

// Less the descriptor the listing itself holds open.
int openDescriptorCount() { return entriesIn("/proc/self/fd") - 1; }

size_t residentBytes() {
    size_t pages = 0, resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%zu %zu", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * size_t(sysconf(_SC_PAGESIZE));
}

size_t heapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
#endif
}

ProcessFigures processFigures() {
    ProcessFigures figures;
    figures.threads = threadCount();
    figures.descriptors = openDescriptorCount();
    figures.residentBytes = residentBytes();
    figures.heapBytes = heapBytesInUse();
    return figures;
}

} // namespace livetest
