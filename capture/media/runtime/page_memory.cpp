// The page size and committed, zero-filled memory blocks. Blocks come from
// the ordinary heap so that memory checkers see their exact bounds.
#include "win32_threads.h"

#include "kernel_objects.h"

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace {
std::mutex blocksMutex;
std::map<void *, SIZE_T> blocks;
} // namespace

namespace media {

void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
    *lpSystemInfo = SYSTEM_INFO{};
#if defined(_SC_PAGESIZE)
    lpSystemInfo->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
#else
    // Windows has no sysconf; its x86 pages are 4 KiB.
    lpSystemInfo->dwPageSize = 4096;
#endif
    lpSystemInfo->dwAllocationGranularity = 65536;
    lpSystemInfo->dwNumberOfProcessors = std::thread::hardware_concurrency();
}

LPVOID VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect) {
    if (lpAddress != nullptr || dwSize == 0 || (flAllocationType & MEM_COMMIT) == 0 || flProtect != PAGE_READWRITE)
        return nullptr;
    if (takeFault(Fault::VirtualAlloc)) return nullptr;
    void *block = std::calloc(dwSize, 1);
    if (block == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(blocksMutex);
    blocks.emplace(block, dwSize);
    ++counters().pageBlocks;
    return block;
}

BOOL VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType) {
    if (dwSize != 0 || dwFreeType != MEM_RELEASE) return FALSE;
    std::lock_guard<std::mutex> lock(blocksMutex);
    auto found = blocks.find(lpAddress);
    if (found == blocks.end()) {
        ++counters().handleMisuses;
        return FALSE;
    }
    std::free(found->first);
    blocks.erase(found);
    --counters().pageBlocks;
    return TRUE;
}

} // namespace media
