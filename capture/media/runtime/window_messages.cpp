// Each thread's queue of posted messages.
#include "win32_messages.h"

#include "kernel_objects.h"

#include <deque>
#include <map>
#include <mutex>

namespace media {
namespace {
std::mutex queuesMutex;
std::map<DWORD, std::deque<MSG>> queues;
} // namespace

bool messageWaiting() {
    DWORD thread = GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(queuesMutex);
    auto queue = queues.find(thread);
    return queue != queues.end() && !queue->second.empty();
}


BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (idThread == 0) return FALSE;
    {
        std::lock_guard<std::mutex> lock(queuesMutex);
        queues[idThread].push_back(MSG{nullptr, Msg, wParam, lParam, 0, POINT{0, 0}});
    }
    noteChange();
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE *pHandles, BOOL fWaitAll, DWORD dwMilliseconds, DWORD) {
    if (fWaitAll) return WAIT_FAILED;
    return waitForFirst(nCount, pHandles, dwMilliseconds, true);
}

BOOL PeekMessageW(LPMSG lpMsg, HWND, UINT, UINT, UINT wRemoveMsg) {
    DWORD thread = GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(queuesMutex);
    auto queue = queues.find(thread);
    if (queue == queues.end() || queue->second.empty()) return FALSE;
    *lpMsg = queue->second.front();
    if (wRemoveMsg & PM_REMOVE) queue->second.pop_front();
    if (queue->second.empty()) queues.erase(queue);
    return TRUE;
}

BOOL TranslateMessage(const MSG *) { return FALSE; }

LRESULT DispatchMessageW(const MSG *) {
    ++counters().messagesDispatched;
    return 0;
}

} // namespace media
