// What tests may ask of the platform layer: failures to inject into the
// calls the capture logic makes, and counts that show what it left behind.
// Only the test-only runtime has them. Any thread.
#ifndef CAPTURE_MEDIA_PLATFORM_FAULTS_H
#define CAPTURE_MEDIA_PLATFORM_FAULTS_H

#include "com_base.h"

namespace media {

enum class Fault {
    CreateEvent,       // CreateEventW answers null
    CreateThread,      // CreateThread answers null
    SetThreadPriority, // SetThreadPriority answers FALSE
    ResumeThread,      // ResumeThread answers (DWORD)-1
    WaitForEvent,      // WaitForSingleObject on an event answers WAIT_FAILED
    VirtualAlloc,      // VirtualAlloc answers null
};

// Makes the next call of that kind fail, once.
MEDIA_API void failNext(Fault fault);
// What CoInitialize answers from now on; 0 restores the runtime's own answer.
MEDIA_API void setCoInitializeResult(HRESULT result);
// Forgets every armed failure and scripted answer.
MEDIA_API void clearFaults();

struct PlatformCounts {
    int openHandles;         // events and threads not yet closed
    int threadsRunning;      // threads resumed that have not yet returned
    int handleMisuses;       // calls on a handle that was closed or never made
    int eventWaits;          // waits on an event begun so far
    int threadWaits;         // waits on a thread begun so far
    int contendedLocks;      // lock acquisitions that had to wait
    int pageBlocks;          // VirtualAlloc blocks not yet freed
    int taskMemoryBlocks;    // CoTaskMemAlloc blocks not yet freed
    int comInitialisations;  // CoInitialize calls less CoUninitialize calls
    int lastThreadPriority;  // the last priority SetThreadPriority granted
};
MEDIA_API PlatformCounts platformCounts();

} // namespace media

#endif
