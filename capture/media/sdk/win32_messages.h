// A thread's message queue, shaped like the Win32 calls of the same names,
// where the platform has none: messages posted to a thread, a wait that
// also wakes for them, and the loop's calls that take and dispatch them.
// Nothing here makes windows; a thread message has no window to go to.
#ifndef CAPTURE_MEDIA_WIN32_MESSAGES_H
#define CAPTURE_MEDIA_WIN32_MESSAGES_H

#include "win32_threads.h"

typedef void *HWND;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

struct POINT {
    LONG x, y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG *LPMSG;

#define WM_USER 0x0400
#define QS_POSTMESSAGE 0x0008
#define QS_ALLINPUT 0x04FF
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

// In the layer's namespace, as the runtime's calls are (com_base.h).
namespace media {
MEDIA_API BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
// As WaitForMultipleObjects, and WAIT_OBJECT_0 + nCount as soon as the
// calling thread's queue holds a message (any dwWakeMask wakes for posts).
MEDIA_API DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE *pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                          DWORD dwWakeMask);
// The calling thread's oldest message; hWnd and the filter range are not
// served (pass null and 0, 0).
MEDIA_API BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
MEDIA_API BOOL TranslateMessage(const MSG *lpMsg);
MEDIA_API LRESULT DispatchMessageW(const MSG *lpMsg);
} // namespace media
using media::PostThreadMessageW;
using media::MsgWaitForMultipleObjects;
using media::PeekMessageW;
using media::TranslateMessage;
using media::DispatchMessageW;

#endif
