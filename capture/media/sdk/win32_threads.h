// Threads, the auto-reset event, waits, a slim lock, the page size and
// page memory, shaped like the Win32 calls of the same names, where the
// platform has none. Handles are never reused, so a call on a closed
// handle fails instead of reaching another object.
#ifndef CAPTURE_MEDIA_WIN32_THREADS_H
#define CAPTURE_MEDIA_WIN32_THREADS_H

#include "com_base.h"

#include <mutex>

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES *LPSECURITY_ATTRIBUTES;
typedef DWORD *LPDWORD;
typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);

struct SYSTEM_INFO {
    DWORD dwOemId;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};
typedef SYSTEM_INFO *LPSYSTEM_INFO;

// A lock that needs no set-up: a zeroed one is ready, as on Windows.
struct SRWLOCK {
    std::mutex mutex;
};
typedef SRWLOCK *PSRWLOCK;

#define CREATE_SUSPENDED 0x00000004
#define THREAD_PRIORITY_HIGHEST 2
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MEM_COMMIT 0x00001000
#define MEM_RELEASE 0x00008000
#define PAGE_READWRITE 0x04

// In the layer's namespace, as the runtime's calls are (com_base.h).
namespace media {
MEDIA_API void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);
MEDIA_API HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                              LPCWSTR lpName);
MEDIA_API BOOL SetEvent(HANDLE hEvent);
MEDIA_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                              LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                              LPDWORD lpThreadId);
MEDIA_API BOOL SetThreadPriority(HANDLE hThread, int nPriority);
MEDIA_API DWORD ResumeThread(HANDLE hThread);
MEDIA_API DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
MEDIA_API BOOL CloseHandle(HANDLE hObject);
MEDIA_API void AcquireSRWLockExclusive(PSRWLOCK SRWLock);
MEDIA_API void ReleaseSRWLockExclusive(PSRWLOCK SRWLock);
MEDIA_API LPVOID VirtualAlloc(LPVOID lpAddress, SIZE_T dwSize, DWORD flAllocationType, DWORD flProtect);
MEDIA_API BOOL VirtualFree(LPVOID lpAddress, SIZE_T dwSize, DWORD dwFreeType);
} // namespace media
using media::GetSystemInfo;
using media::CreateEventW;
using media::SetEvent;
using media::CreateThread;
using media::SetThreadPriority;
using media::ResumeThread;
using media::WaitForSingleObject;
using media::CloseHandle;
using media::AcquireSRWLockExclusive;
using media::ReleaseSRWLockExclusive;
using media::VirtualAlloc;
using media::VirtualFree;

#endif
